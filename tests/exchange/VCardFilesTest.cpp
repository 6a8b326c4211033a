// vCard files written by real address books (tests/exchange/vcard, see the
// README there) read into the right fields.
#include <gtest/gtest.h>

#include <vector>

#include "exchange/VCardMapping.h"
#include "exchange/VCardReader.h"
#include "tests/exchange/SheetTestUtil.h"

namespace
{
wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

std::vector<VCardReader::Card> ReadAll(const wxString& name)
{
    VCardReader reader;
    EXPECT_TRUE(reader.Open(SheetDataPath("../vcard/" + name))) << name;
    std::vector<VCardReader::Card> cards;
    VCardReader::Card card;
    while (reader.Next(card))
        cards.push_back(std::move(card));
    return cards;
}

bool Has(const wxString& text, const char* part)
{
    return text.Find(U(part)) != wxNOT_FOUND;
}

// Whether a kept line of the contact holds the text.
bool Kept(const ContactInfoEx& c, const char* part)
{
    for (const wxString& line : c.keptProperties)
    {
        if (Has(line, part))
            return true;
    }
    return false;
}
} // namespace

TEST(VCardFiles, OutlookVersion21WithQuotedPrintable)
{
    auto cards = ReadAll("outlook-2.1.vcf");
    ASSERT_EQ(cards.size(), 1u);
    ASSERT_EQ(cards[0].result, VCardReader::CARD_OK);
    const ContactInfoEx& c = *cards[0].contact;
    EXPECT_EQ(c.last_name, "Mustermann");
    EXPECT_EQ(c.first_name, "Max Middle Name");
    EXPECT_EQ(c.last_name_alpha, "Mustermann") << "no phonetic name: the name itself";
    EXPECT_EQ(c.company, "Firma");
    EXPECT_EQ(c.department, U("F\xC3\xBChrungsetage")) << "quoted-printable UTF-8";
    EXPECT_EQ(c.job_title, "Position");
    EXPECT_EQ(c.sex, 1) << "X-WAB-GENDER 2";
    EXPECT_EQ(c.birthday.Format("%Y-%m-%d %H:%M:%S"), "1972-01-31 00:00:00");
    EXPECT_EQ(c.business_phone, U("Tel gesch\xC3\xA4"
                                  "ftlich"));
    EXPECT_EQ(c.home_phone, "Tel privat");
    EXPECT_EQ(c.home_phone_2, "Other Phone") << "a phone without place is a home phone";
    EXPECT_EQ(c.home_mobile, "Handy");
    EXPECT_EQ(c.business_fax, "0123/579");
    EXPECT_EQ(c.home_fax, "Fax privat");
    EXPECT_EQ(c.business_street, U("Firmenstra\xC3\x9F"
                                   "e, 1"));
    EXPECT_EQ(c.business_street_2, "PLZFirma Ort Firma, Bundesland Firma");
    EXPECT_EQ(c.business_street_3, "Land Firma");
    EXPECT_EQ(c.home_street, U("Stra\xC3\x9F"
                               "e"));
    EXPECT_EQ(c.webpage, "http://www.privat.de");
    EXPECT_EQ(c.webpage_2, "http://www.musterworks.de");
    EXPECT_EQ(c.email, "privat@folker-kinzel.de");
    EXPECT_EQ(c.email_2, "business@folker-kinzel.de");
    // Soft line breaks split UTF-8 sequences here; all six lines decode.
    EXPECT_TRUE(c.comment.StartsWith(U("Kommentar \xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84 \xC3\xA4")))
        << c.comment;
    EXPECT_EQ(c.comment.Freq('\n') >= 5, true);
    EXPECT_FALSE(Has(c.comment, "=\n")) << "no soft line break left";
    // What has no field is kept beside the contact, not dropped, misfiled
    // or turned into comment text.
    EXPECT_TRUE(Kept(c, "andere@folker-kinzel.de")) << "third e-mail";
    EXPECT_TRUE(Kept(c, "Pager")) << "pager";
    EXPECT_TRUE(Kept(c, "Dr.")) << "name prefix";
    EXPECT_TRUE(Kept(c, "Maxl")) << "nickname";
    EXPECT_FALSE(Has(c.comment, "Maxl") || Has(c.comment, "Pager"));
    // The name's and the addresses' own parts go back on export while the
    // fields are unchanged, each once; a changed field wins over them.
    wxString out = wxString::FromUTF8(VCardMapping::FromContact(c, wxArrayString(), VCardVersion::V40));
    out.Replace("\r\n ", "");
    EXPECT_TRUE(Has(out, "\nN:Mustermann;Max;Middle Name;Dr.\r")) << out;
    EXPECT_EQ(wxString(out).Replace("\nN:", ""), 1u);
    EXPECT_TRUE(Has(out, "\nADR;TYPE=WORK:;1;Firmenstra\xC3\x9F"
                         "e;Ort Firma;Bundesland Firma;PLZFirma;Land Firma\r"))
        << out;
    EXPECT_EQ(wxString(out).Replace("\nADR", ""), 2u);
    EXPECT_EQ(wxString(out).Replace("\nEMAIL", ""), 3u);
    ContactInfoEx edited = c;
    edited.first_name = "Moritz";
    edited.home_street = "Neue Gasse 1";
    const wxString changed = wxString::FromUTF8(VCardMapping::FromContact(edited, wxArrayString(), VCardVersion::V40));
    EXPECT_TRUE(Has(changed, "Mustermann;Moritz;;;\r")) << changed;
    EXPECT_FALSE(Has(changed, "Middle Name;Dr.")) << changed;
    EXPECT_TRUE(Has(changed, "Neue Gasse 1")) << changed;
    // An address the user cleared does not come back from the card's line.
    edited.business_street = edited.business_street_2 = edited.business_street_3 = "";
    const std::string cleared = VCardMapping::FromContact(edited, wxArrayString(), VCardVersion::V30);
    VCardReader reader;
    reader.OpenMemory(cleared.data(), cleared.size());
    VCardReader::Card again;
    ASSERT_TRUE(reader.Next(again));
    ASSERT_TRUE(again.contact);
    EXPECT_EQ(again.contact->business_street, "") << cleared;
    EXPECT_EQ(again.contact->home_street, "Neue Gasse 1");
}

TEST(VCardFiles, ThunderbirdVersion40)
{
    auto cards = ReadAll("thunderbird-cardbook-4.0.vcf");
    ASSERT_EQ(cards.size(), 2u);
    ASSERT_EQ(cards[0].result, VCardReader::CARD_OK);
    const ContactInfoEx& a = *cards[0].contact;
    EXPECT_EQ(a.last_name, U("M\xC3\xB6hrke"));
    EXPECT_EQ(a.first_name, "Marina");
    EXPECT_EQ(a.company, U("KiTa Hohenm\xC3\xB6lsen"));
    EXPECT_EQ(a.email, "info@kinderland-hhm.de");
    EXPECT_EQ(a.business_phone, "034441/ 2 22 67");
    EXPECT_EQ(a.home_fax, "034441/ 39 23 34");
    EXPECT_FALSE(a.birthday.IsValid()) << "no BDAY, no invented birthday";

    ASSERT_EQ(cards[1].result, VCardReader::CARD_OK);
    const ContactInfoEx& b = *cards[1].contact;
    EXPECT_EQ(b.last_name, "Mustermann");
    EXPECT_EQ(b.first_name, "Max Horst");
    EXPECT_EQ(b.sex, 1) << "GENDER:M";
    EXPECT_FALSE(b.birthday.IsValid()) << "BDAY 19723101 has no month 31";
    EXPECT_TRUE(Has(b.comment, "19723101")) << "kept as written";
    EXPECT_EQ(b.home_phone, "Privattelefon");
    EXPECT_EQ(b.business_phone, "Diensttelefon");
    EXPECT_EQ(b.business_fax, U("Fax gesch\xC3\xA4"
                                "ftlich"));
    EXPECT_EQ(b.home_mobile, "Mobil");
    EXPECT_EQ(b.email_2, "geschaeftlich@freenet.de");
    EXPECT_EQ(b.home_street_2, "06779 Raguhn, Sachsen-Anhalt");
    EXPECT_EQ(b.business_street, U("Gesch\xC3\xA4"
                                   "ftsadresse 32"));
    EXPECT_TRUE(Has(b.comment, "Kommentar"));
    EXPECT_TRUE(Kept(b, "ROLE:Generalsekret")) << "role";
    EXPECT_TRUE(Kept(b, "EMAIL;TYPE=WORK:geschaeftlich@freenet.de")) << "the kind of an e-mail";
}

TEST(VCardFiles, GoogleContactsAndEvolution)
{
    auto list = ReadAll("google-contacts-list.vcf");
    ASSERT_EQ(list.size(), 3u) << "the last card ends without a line end";
    EXPECT_EQ(list[2].contact->last_name, "White");
    EXPECT_EQ(list[2].contact->email, "dwhite@gmail.com");

    auto single = ReadAll("google-contacts-single.vcf");
    ASSERT_EQ(single.size(), 1u);
    const ContactInfoEx& g = *single[0].contact;
    EXPECT_EQ(g.last_name_alpha, "ThePhoneticLastName");
    EXPECT_EQ(g.first_name_alpha, "ThePhoneticFirstName");
    EXPECT_EQ(g.home_im, "xmpp:IM2") << "X-GTALK";
    EXPECT_EQ(g.home_im_2, "aim:IM3");
    EXPECT_EQ(g.webpage, "http://www.example1.com") << "escaped colon";
    EXPECT_EQ(g.business_fax, "5555551118");
    EXPECT_EQ(g.home_mobile, "5555551115");
    EXPECT_EQ(g.business_street, "113 Main St");
    EXPECT_EQ(g.home_street, "111 Main St") << "the first address without a type";
    EXPECT_EQ(g.birthday.Format("%Y-%m-%d"), "1912-06-23");
    EXPECT_TRUE(g.comment.StartsWith("note line 1\nnote line 2\n")) << g.comment;
    EXPECT_TRUE(Kept(g, "otheremail@example.com"));

    auto evolution = ReadAll("evolution.vcf");
    ASSERT_EQ(evolution.size(), 1u);
    const ContactInfoEx& e = *evolution[0].contact;
    EXPECT_EQ(e.last_name, "Doe");
    EXPECT_EQ(e.first_name, "John Richter, James") << "an escaped comma is part of the name";
    EXPECT_EQ(e.company, "IBM");
    EXPECT_EQ(e.department, "Accounting, Dungeon");
    EXPECT_EQ(e.home_im, "aim:johnny5@aol.com") << "folded in the middle of the value";
    EXPECT_EQ(e.business_phone, "905-555-1234");
    EXPECT_EQ(e.home_street, "15 Crescent moon drive, ASB-123");
    EXPECT_EQ(e.home_street_3, "United States of America");
    EXPECT_TRUE(Has(e.comment, "WARRANTIES, INCLUDING, BUT NOT LIMITED TO, THE")) << "unfolded and unescaped";
    ASSERT_EQ(evolution[0].categories.size(), 1u);
    EXPECT_EQ(evolution[0].categories[0], "VIP");
}

TEST(VCardFiles, PhoneWithCrCrLfLineEndsAndReadings)
{
    auto cards = ReadAll("phone-cr-cr-lf.vcf");
    ASSERT_EQ(cards.size(), 2u);
    ASSERT_EQ(cards[0].result, VCardReader::CARD_OK);
    const ContactInfoEx& c = *cards[0].contact;
    EXPECT_EQ(c.last_name, U("\xE5\xAE\x89\xE8\x97\xA4"));
    EXPECT_EQ(c.first_name, U("\xE3\x83\xAD\xE3\x82\xA4\xE3\x83\x89"));
    EXPECT_EQ(c.last_name_alpha, U("\xEF\xBD\xB1\xEF\xBE\x9D\xEF\xBE\x84\xEF\xBE\x9E\xEF\xBD\xB3"));
    EXPECT_EQ(c.first_name_alpha, U("\xEF\xBE\x9B\xEF\xBD\xB2\xEF\xBE\x84\xEF\xBE\x9E"));
    EXPECT_EQ(c.home_mobile, "090-1234-5678");
    EXPECT_EQ(c.email, "roid@example.jp");
    ASSERT_EQ(cards[1].result, VCardReader::CARD_OK);
    EXPECT_EQ(cards[1].contact->home_phone, "03-1234-5678");
}
