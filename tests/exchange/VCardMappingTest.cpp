// Reading single cards (odd, hostile and real-world forms) and writing
// them back: the mapping between vCard properties and the record's fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/VCardMapping.h"
#include "exchange/VCardReader.h"
#include "tests/exchange/VCardTestUtil.h"

namespace
{
wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

// One card of the given properties (3.0 unless they name a version).
ContactInfoEx ReadOne(const std::string& properties)
{
    const std::string version = properties.compare(0, 8, "VERSION:") == 0 ? "" : "VERSION:3.0\r\n";
    auto cards = ReadCards("BEGIN:VCARD\r\n" + version + properties + "END:VCARD\r\n");
    EXPECT_EQ(cards.size(), 1u);
    if (cards.empty() || !cards[0].contact)
        return ContactInfoEx();
    return *cards[0].contact;
}
} // namespace

TEST(VCardReader, OddAndHostileInputIsReadOrSkippedNeverFatal)
{
    // UTF-16 with a byte-order mark, as some Windows programs save.
    std::u16string wide = u"\uFEFFBEGIN:VCARD\r\nN:\u5C71\u7530;\u592A\u90CE\r\nEND:VCARD\r\n";
    std::string utf16(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    auto cards = ReadCards(utf16);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].contact->last_name, U("\xE5\xB1\xB1\xE7\x94\xB0"));

    // 8-bit text that names no character set: Windows-1252.
    EXPECT_EQ(ReadOne("N:M\xFCller;J\xFCrgen\r\n").last_name, U("M\xC3\xBCller"));
    EXPECT_EQ(ReadOne("N:Probe;J\r\nNOTE:a\x81"
                      "b \xFC\r\n")
                  .comment,
              U("a\xC2\x81"
                "b \xC3\xBC"))
        << "a byte Windows-1252 leaves undefined is kept, not the value lost";
    // A damaged quoted-printable value that stops inside a character: kept,
    // as valid text (the library's writer would read past its end).
    ContactInfoEx label = ReadOne("VERSION:2.1\r\nN:Probe;J\r\n"
                                  "LABEL;WORK;CHARSET=utf-8;ENCODING=QUOTED-PRINTABLE:Firmen=C3=B6=C3\r\n");
    ASSERT_EQ(label.keptProperties.size(), 1u);
    EXPECT_TRUE(label.keptProperties[0].StartsWith("LABEL;TYPE=WORK:Firmen")) << label.keptProperties[0];
    // 2.1 values as raw bytes of the character set they name (old phones),
    // beside a UTF-8 value in the same card.
    ContactInfoEx sjis = ReadOne("VERSION:2.1\r\nN;CHARSET=SHIFT_JIS:\x8E\x52\x93\x63;\x91\xBE\x98\x59\r\n"
                                 "NOTE;CHARSET=UTF-8:caf\xC3\xA9\r\n");
    EXPECT_EQ(sjis.last_name, U("\xE5\xB1\xB1\xE7\x94\xB0"));
    EXPECT_EQ(sjis.first_name, U("\xE5\xA4\xAA\xE9\x83\x8E"));
    EXPECT_EQ(sjis.comment, U("caf\xC3\xA9"));
    EXPECT_EQ(ReadOne("VERSION:2.1\r\nN;CHARSET=ISO-8859-1:M\xFCller;J\r\n").last_name, U("M\xC3\xBCller"));
    // A quoted-printable value whose next line says END:VCARD.
    ContactInfoEx qp = ReadOne("VERSION:2.1\r\nN:Q;P\r\nNOTE;ENCODING=QUOTED-PRINTABLE:abc=\r\nEND:VCARD=\r\ndef\r\n");
    EXPECT_EQ(qp.comment, "abcEND:VCARDdef");
    // A 2.1 AGENT card inside a card is part of it.
    cards = ReadCards("BEGIN:VCARD\r\nN:Boss;Betty\r\nAGENT:\r\nBEGIN:VCARD\r\nN:Helper;Hal\r\nEND:VCARD\r\n"
                      "END:VCARD\r\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].contact->last_name, "Boss");
    // Its BEGIN and END lines are not kept: exported, they would end the
    // card early (and a card of junk after them would not read back).
    const std::string out = VCardMapping::FromContact(*cards[0].contact, wxArrayString(), VCardVersion::V30);
    EXPECT_EQ(out.find("BEGIN:VCARD", 1), std::string::npos) << out;
    ASSERT_EQ(ReadCards(out).size(), 1u);
    EXPECT_EQ(ReadCards(out)[0].contact->last_name, "Boss");

    // A line longer than any card, without a line end: skipped, bounded.
    std::string huge = "BEGIN:VCARD\r\nNOTE:" + std::string(VCardReader::MAX_CARD_SIZE + 10, 'x') +
                       "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:After;Al\r\nEND:VCARD\r\n";
    cards = ReadCards(huge);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].result, VCardReader::CARD_TOO_LARGE);
    EXPECT_EQ(cards[1].contact->last_name, "After");

    // Nothing of a card, or a card of nothing.
    EXPECT_TRUE(ReadCards("").empty());
    EXPECT_TRUE(ReadCards("just some text\nwithout cards").empty());
    cards = ReadCards("BEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].result, VCardReader::CARD_MALFORMED) << "no property at all";
    EXPECT_EQ(cards[1].result, VCardReader::CARD_MALFORMED) << "the file ends inside a card";
}

TEST(VCardReader, EveryLineEndEncodingAndFoldedParameterIsRead)
{
    const std::string card = "BEGIN:VCARD#VERSION:3.0#N:Lee;Ann#TEL:555 0100#END:VCARD#";
    for (const char* end : {"\r\n", "\n", "\r", "\r\r\n"})
    {
        std::string text;
        for (int i = 0; i < 3; ++i)
            for (char c : card)
                text += c == '#' ? std::string(end) : std::string(1, c);
        auto cards = ReadCards(text);
        ASSERT_EQ(cards.size(), 3u) << "line end " << testing::PrintToString(std::string(end));
        ASSERT_EQ(cards[2].result, VCardReader::CARD_OK);
        EXPECT_EQ(cards[2].contact->last_name, "Lee");
        EXPECT_EQ(cards[2].contact->home_phone, "555 0100") << "no CR left in the value";
    }

    // A stray NUL before the first line is no sign of UTF-16.
    std::string padded(1, '\0');
    for (int i = 0; i < 100; ++i)
        padded += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Card" + std::to_string(i) + ";A\r\nEND:VCARD\r\n";
    auto cards = ReadCards(padded);
    ASSERT_EQ(cards.size(), 100u);
    EXPECT_EQ(cards[0].contact->last_name, "Card0");
    EXPECT_EQ(cards[99].contact->last_name, "Card99");
    // UTF-16 without a byte-order mark is still told by its first line.
    std::u16string wide = u"BEGIN:VCARD\r\nN:\u5C71\u7530;\u592A\u90CE\r\nEND:VCARD\r\n";
    std::string le(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    cards = ReadCards(le);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].contact->last_name, U("\xE5\xB1\xB1\xE7\x94\xB0"));

    // A CHARSET that does not decode the bytes: the value falls back, and
    // the next property is still a property of its own.
    ContactInfoEx wrong = ReadOne("VERSION:2.1\r\nN:Probe;P\r\nNOTE;CHARSET=UTF-16:M\xFC"
                                  "ller\r\nTITLE:Chef\r\n");
    EXPECT_EQ(wrong.comment, U("M\xC3\xBCller"));
    EXPECT_EQ(wrong.job_title, "Chef");

    // A quoted parameter value folded before the colon, holding a colon, a
    // semicolon and a comma.
    ContactInfoEx folded = ReadOne("N:Schmidt;Eva\r\nTEL:0221 1234\r\n"
                                   "ADR;TYPE=home;LABEL=\"Heidestra\xC3\x9F"
                                   "e 17\\n51147 K\xC3\xB6ln; Tor:2, links\r\n \":;;Heidestra\xC3\x9F"
                                   "e 17;K\xC3\xB6ln;;51147;Deutschland\r\n");
    EXPECT_EQ(folded.home_phone, "0221 1234") << "the address is not glued onto the phone";
    EXPECT_EQ(folded.home_street, U("Heidestra\xC3\x9F"
                                    "e 17"));
    EXPECT_EQ(folded.home_street_2, U("51147 K\xC3\xB6ln"));
    EXPECT_EQ(folded.home_street_3, "Deutschland");
}

TEST(VCardMapping, UriNumbersEscapedCategoriesAndStructuredReadings)
{
    ContactInfoEx tel = ReadOne("VERSION:4.0\r\nN:Tremblay;Luc;;;\r\n"
                                "TEL;VALUE=uri;TYPE=work:tel:+1-418-262-6501;ext=102\r\n"
                                "TEL;VALUE=uri;TYPE=\"cell\":tel:+1-418-555-0199\r\n");
    EXPECT_EQ(tel.business_phone, "+1-418-262-6501 ext. 102");
    EXPECT_EQ(tel.home_mobile, "+1-418-555-0199");
    // An empty number (a damaged line) takes no slot and is kept as it came:
    // the next one is the first, and a written card reads back the same.
    ContactInfoEx empty = ReadOne("N:Lind;Maja\r\nTEL;WORK;VOICE:\r\nTEL;WORK:034441 22\r\n");
    EXPECT_EQ(empty.business_phone, "034441 22");
    EXPECT_EQ(empty.business_phone_2, "");
    EXPECT_EQ(empty.keptProperties.size(), 1u);
    const std::string written = VCardMapping::FromContact(empty, wxArrayString(), VCardVersion::V30);
    auto again = ReadCards(written);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].contact->business_phone, "034441 22") << written;
    EXPECT_EQ(again[0].contact->business_phone_2, "") << written;

    auto cards = ReadCards("BEGIN:VCARD\r\nVERSION:3.0\r\nN:A;B\r\nCATEGORIES:Science\\, Research,B\\'C,Work\r\n"
                           "URL:http\\://example.com\r\nEND:VCARD\r\n");
    ASSERT_EQ(cards.size(), 1u);
    ASSERT_EQ(cards[0].categories.size(), 3u) << wxJoin(cards[0].categories, '|');
    EXPECT_EQ(cards[0].categories[0], "Science, Research");
    EXPECT_EQ(cards[0].categories[1], "B'C") << "an escape 3.0 does not have loses its backslash";
    EXPECT_EQ(cards[0].categories[2], "Work");
    EXPECT_EQ(cards[0].contact->webpage, "http://example.com");

    // Readings as phones write them: structured like N.
    ContactInfoEx sound = ReadOne("VERSION:2.1\r\nN:\xE5\xAE\x89\xE8\x97\xA4;\xE3\x83\xAD\xE3\x82\xA4\xE3\x83\x89\r\n"
                                  "SOUND;X-IRMC-N:\xEF\xBD\xB1\xEF\xBE\x9D\xEF\xBE\x84\xEF\xBE\x9E\xEF\xBD\xB3;"
                                  "\xEF\xBE\x9B\xEF\xBD\xB2\xEF\xBE\x84\xEF\xBE\x9E;;;\r\n");
    EXPECT_EQ(sound.last_name_alpha, U("\xEF\xBD\xB1\xEF\xBE\x9D\xEF\xBE\x84\xEF\xBE\x9E\xEF\xBD\xB3"));
    EXPECT_EQ(sound.first_name_alpha, U("\xEF\xBE\x9B\xEF\xBD\xB2\xEF\xBE\x84\xEF\xBE\x9E"));
    ContactInfoEx phonetic = ReadOne("N:Ando;Roido\r\nX-PHONETIC-LAST-NAME:ando;roido\r\n");
    EXPECT_EQ(phonetic.last_name_alpha, "ando");
    EXPECT_EQ(phonetic.first_name_alpha, "roido");
    ContactInfoEx sortAs = ReadOne("VERSION:4.0\r\nN;SORT-AS=\"ando;roido\":Ando;Roido;;;\r\n");
    EXPECT_EQ(sortAs.last_name_alpha, "ando");
    EXPECT_EQ(sortAs.first_name_alpha, "roido");
}

TEST(VCardMapping, NamesBirthdaysAndMessengersReadAsAPersonWould)
{
    struct NameCase
    {
        const char* formatted;
        const char* family;
        const char* given;
    };
    for (const NameCase& n :
         {NameCase{"Ludwig van Beethoven", "van Beethoven", "Ludwig"},
          NameCase{"Smith, Anne Marie", "Smith", "Anne Marie"}, NameCase{"Dr. John Q. Public Jr.", "Public", "John Q."},
          NameCase{"\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E",
                   "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E", ""},
          NameCase{"Cher", "Cher", ""}})
    {
        ContactInfoEx c = ReadOne(std::string("FN:") + n.formatted + "\r\n");
        EXPECT_EQ(c.last_name, U(n.family)) << n.formatted;
        EXPECT_EQ(c.first_name, U(n.given)) << n.formatted;
    }
    EXPECT_EQ(ReadOne("FN:Acme Inc.\r\nORG:Acme Inc.\r\n").last_name, "Acme Inc.") << "a company card";

    EXPECT_EQ(ReadOne("N:A;B\r\nBDAY:1980-04-15T10:30:00Z\r\n").birthday.Format("%Y-%m-%d %H:%M"), "1980-04-15 10:30");
    EXPECT_EQ(ReadOne("N:A;B\r\nBDAY;VALUE=date:19800415\r\n").birthday.Format("%Y-%m-%d"), "1980-04-15");
    ContactInfoEx noYear = ReadOne("N:A;B\r\nBDAY:--0415\r\n");
    EXPECT_FALSE(noYear.birthday.IsValid());
    EXPECT_EQ(noYear.comment, "") << "no comment text either";
    EXPECT_EQ(wxJoin(noYear.keptProperties, '|'), "BDAY:--0415") << "kept for export and sync";
    ContactInfoEx apple = ReadOne("N:A;B\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-04-15\r\n");
    EXPECT_FALSE(apple.birthday.IsValid()) << "no year 1604";
    EXPECT_EQ(wxJoin(apple.keptProperties, '|'), "BDAY;X-APPLE-OMIT-YEAR=1604:1604-04-15");
    const std::string written = VCardMapping::FromContact(noYear, wxArrayString(), VCardVersion::V40);
    EXPECT_NE(written.find("\r\nBDAY:--0415\r\n"), std::string::npos) << written;
    noYear.birthday = wxDateTime(15, wxDateTime::Apr, 1980);
    const std::string typed = VCardMapping::FromContact(noYear, wxArrayString(), VCardVersion::V30);
    EXPECT_EQ(typed.find("BDAY:--0415"), std::string::npos) << "a birthday typed in replaces it";
    EXPECT_NE(typed.find("BDAY:1980-04-15"), std::string::npos) << typed;

    ContactInfoEx im = ReadOne("N:A;B\r\nIMPP;TYPE=work:xmpp:a@example.com\r\nX-JABBER;TYPE=WORK:a@example.com\r\n"
                               "X-SKYPE:bee\r\nTEL;TYPE=\"work,cell\":+1 555 0100\r\nX-GENDER:Female\r\n");
    EXPECT_EQ(im.business_im, "xmpp:a@example.com");
    EXPECT_EQ(im.business_im_2, "") << "the same account once";
    EXPECT_EQ(im.home_im, "skype:bee");
    EXPECT_EQ(im.business_mobile, "+1 555 0100") << "4.0 quoted type list";
    EXPECT_EQ(im.sex, SEX_FEMALE);

    // A card that says nothing about sex keeps that; GENDER:O or :U too,
    // with the card's word kept for export.
    ContactInfoEx unstated = ReadOne("N:A;B\r\n");
    EXPECT_EQ(unstated.sex, SEX_NOT_STATED);
    for (VCardVersion version : {VCardVersion::V30, VCardVersion::V40})
        EXPECT_EQ(VCardMapping::FromContact(unstated, wxArrayString(), version).find("GENDER"), std::string::npos);
    ContactInfoEx other = ReadOne("N:A;B\r\nGENDER:O;intersex\r\n");
    EXPECT_EQ(other.sex, SEX_NOT_STATED);
    const std::string otherOut = VCardMapping::FromContact(other, wxArrayString(), VCardVersion::V40);
    EXPECT_NE(otherOut.find("\r\nGENDER:O;intersex\r\n"), std::string::npos) << otherOut;
    EXPECT_EQ(otherOut.find("GENDER:M"), std::string::npos) << otherOut;
}

TEST(VCardMapping, ExportFoldsAt75OctetsAndWritesNamesInTheirScriptsOrder)
{
    ContactInfoEx cjk;
    cjk.last_name = U("\xE5\xB1\xB1\xE7\x94\xB0");
    cjk.first_name = U("\xE5\xA4\xAA\xE9\x83\x8E");
    cjk.last_name_alpha = cjk.last_name;
    cjk.first_name_alpha = cjk.first_name;
    for (int i = 0; i < 70; ++i)
        cjk.comment += U("\xE6\xBC\xA2");
    cjk.comment += "x";
    for (VCardVersion version : {VCardVersion::V30, VCardVersion::V40})
    {
        const std::string text = VCardMapping::FromContact(cjk, wxArrayString(), version);
        EXPECT_NE(text.find(std::string("\r\nFN:\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E\r\n")),
                  std::string::npos)
            << text;
        for (size_t pos = 0; pos < text.size();)
        {
            const size_t end = text.find("\r\n", pos);
            ASSERT_NE(end, std::string::npos);
            const std::string line = text.substr(pos, end - pos);
            EXPECT_LE(line.size(), 75u) << line;
            EXPECT_TRUE(wxString::FromUTF8(line.data(), line.size()).length() > 0 || line.empty())
                << "a fold inside a UTF-8 sequence: " << line;
            pos = end + 2;
        }
        auto cards = ReadCards(text);
        ASSERT_EQ(cards.size(), 1u);
        ASSERT_EQ(cards[0].result, VCardReader::CARD_OK);
        EXPECT_EQ(cards[0].contact->comment, cjk.comment) << "the folds read back whole";
    }

    ContactInfoEx latin;
    latin.last_name = latin.last_name_alpha = "Smith";
    latin.first_name = latin.first_name_alpha = "Anne";
    EXPECT_NE(VCardMapping::FromContact(latin, wxArrayString(), VCardVersion::V30).find("\r\nFN:Anne Smith\r\n"),
              std::string::npos);

    // Every card has a UID, the same on the next export of the same record.
    auto uid = [](const ContactInfoEx& c)
    {
        const std::string text = VCardMapping::FromContact(c, wxArrayString(), VCardVersion::V40);
        const size_t pos = text.find("\r\nUID:");
        return pos == std::string::npos ? std::string() : text.substr(pos + 6, text.find("\r\n", pos + 2) - pos - 6);
    };
    latin.id = 7;
    latin.entry_time = wxDateTime(1, wxDateTime::Feb, 2021, 9, 30);
    ContactInfoEx renamed = latin;
    renamed.last_name = "Jones";
    ContactInfoEx other = latin;
    other.id = 8;
    EXPECT_EQ(uid(latin).compare(0, 9, "urn:uuid:"), 0) << uid(latin);
    EXPECT_EQ(uid(latin).size(), 45u);
    EXPECT_EQ(uid(latin), uid(renamed)) << "a renamed contact is the same contact";
    EXPECT_NE(uid(latin), uid(other));
}
