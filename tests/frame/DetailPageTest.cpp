#include <wx/file.h>

#include "frame/DetailPage.h"
#include "frame/MyHtmlWin.h"
#include "storage/ContactInfoEx.h"
#include "tests/frame/FrameFixture.h"

namespace
{
wxString Render(const wxString& templ, const ContactInfoEx& c, const wxArrayString& tags = wxArrayString())
{
    return DetailPage::RenderContact(templ, c, tags);
}
} // namespace

TEST(DetailPageRender, FirstOccurrenceOnlyExceptMailAndWeb)
{
    ContactInfoEx c;
    c.last_name = "Li";
    c.email = "li@example.com";
    c.webpage = "http://li.example";
    c.webpage_2 = "http://two.example";
    EXPECT_EQ("Li $last_name$", Render("$last_name$ $last_name$", c));
    EXPECT_EQ("li@example.com li@example.com", Render("$email$ $email$", c));
    EXPECT_EQ("http://li.example|http://li.example", Render("$webpage$|$webpage$", c));
    EXPECT_EQ("http://two.example|http://two.example", Render("$webpage_2$|$webpage_2$", c));
    EXPECT_EQ("$unknown$", Render("$unknown$", c)) << "unknown placeholders stay";
}

TEST(DetailPageRender, SexBirthdayAndPictureNumber)
{
    ContactInfoEx c;
    c.sex = 1;
    c.birthday = wxDateTime(3, wxDateTime::Feb, 1980, 14, 0, 0);
    EXPECT_EQ("1 Male 1980/02/03", Render("$img_num$ $sex$ $birthday$", c));
    c.sex = 0;
    c.birthday = wxDateTime();
    EXPECT_EQ("0 Female ", Render("$img_num$ $sex$ $birthday$", c)) << "an unset birthday renders empty";
    c.sex = SEX_NOT_STATED;
    EXPECT_EQ("3 Not stated ", Render("$img_num$ $sex$ $birthday$", c));
}

TEST(DetailPageRender, OptionalLinesGetABreakOnlyWhenFilled)
{
    ContactInfoEx c;
    c.business_street = "1 Main St";
    c.business_street_3 = "Springfield";
    EXPECT_EQ("[<BR>1 Main St][][<BR>Springfield]",
              Render("[$business_street$][$business_street_2$][$business_street_3$]", c));
    c.home_im_2 = "im2";
    EXPECT_EQ("[][<BR>im2][]", Render("[$home_im$][$home_im_2$][$home_im_3$]", c));

    EXPECT_EQ("||", Render("$BR_TAG_HP$|$BR_TAG_HP_2$|", c));
    c.webpage_2 = "w2";
    EXPECT_EQ("|<BR>|", Render("$BR_TAG_HP$|$BR_TAG_HP_2$|", c));
    c.webpage = "w1";
    EXPECT_EQ("<BR>|<BR>|", Render("$BR_TAG_HP$|$BR_TAG_HP_2$|", c));
}

TEST(DetailPageRender, NumberedPlaceholdersAreNotConfused)
{
    ContactInfoEx c;
    c.business_phone = "P1";
    c.business_phone_2 = "P2";
    c.home_fax = "F1";
    c.home_fax_2 = "F2";
    c.email = "E1";
    c.email_2 = "E2";
    EXPECT_EQ("P1 P2 F1 F2 E1 E2",
              Render("$business_phone$ $business_phone_2$ $home_fax$ $home_fax_2$ $email$ $email_2$", c));
}

TEST(DetailPageRender, BackslashNBecomesABreakButNotInTags)
{
    ContactInfoEx c;
    c.comment = "line one\\nline two";
    c.company = "A\\nB";
    wxArrayString tags;
    tags.Add("x\\ny");
    EXPECT_EQ("A<BR>B|line one<BR>line two|<BR>|x\\ny | ", Render("$company$|$comment$|\\n|$tags$", c, tags));
    c.comment = "real\nbreak\r\nand\rmore";
    EXPECT_EQ("real<BR>break<BR>and<BR>more", Render("$comment$", c)) << "a comment keeps its lines";
    c.company = "one\ntwo";
    EXPECT_EQ("one\ntwo", Render("$company$", c)) << "only the comment is written in lines";
}

TEST(DetailPageRender, TagsKeepTheTrailingSeparator)
{
    ContactInfoEx c;
    wxArrayString tags;
    tags.Add("Friends");
    tags.Add("Work");
    EXPECT_EQ("Friends | Work | ", Render("$tags$", c, tags));
    EXPECT_EQ("", Render("$tags$", c));
}

TEST(DetailPageRender, EveryInsertedValueIsEscaped)
{
    ContactInfoEx c;
    c.last_name = "O\"Brien";
    c.company = "Smith & <Sons>";
    c.comment = "<a href=\"http://evil.example\">click</a>";
    c.business_street = "<i>";
    c.email = "a&b@example.com";
    wxArrayString tags;
    tags.Add("R&D <core>");
    EXPECT_EQ("O&quot;Brien|Smith &amp; &lt;Sons&gt;|&lt;a href=&quot;http://evil.example&quot;&gt;click&lt;/a&gt;|"
              "<BR>&lt;i&gt;|a&amp;b@example.com|R&amp;D &lt;core&gt; | ",
              Render("$last_name$|$company$|$comment$|$business_street$|$email$|$tags$", c, tags));
    EXPECT_EQ("Smith &amp; Sons", DetailPage::EscapeHtml("Smith & Sons"));
}

TEST(DetailPageRender, KeptPropertiesShowReadOnlyBeforeTheEnd)
{
    ContactInfoEx c;
    c.last_name = "Li";
    c.birthday = wxDateTime();
    EXPECT_EQ("<body>Li</body>", Render("<body>$last_name$</body>", c)) << "nothing kept, nothing added";
    c.keptProperties.Add("BDAY:--0415");
    c.keptProperties.Add("item1.X-ABLabel:_$!<Anniversary>!$_");
    c.keptProperties.Add("ITEM1.X-ABDATE;type=pref:2004-08-07");
    c.keptProperties.Add("item2.X-ABLabel:<Spouse>");
    c.keptProperties.Add("N:Mustermann;Max;Middle Name;Dr.");
    c.keptProperties.Add(wxString::FromUTF8("ADR;TYPE=WORK:;1;Hauptstra\\;e 5;K\xC3\xB6ln;;51147;"));
    c.keptProperties.Add("X-CUSTOM;X-PARAM=\"a:b\":one\\, two\\nthree");
    c.keptProperties.Add("PHOTO;ENCODING=b:" + wxString(300, 'A'));
    const wxString page = Render("<body>$last_name$</body>", c);
    EXPECT_TRUE(page.StartsWith("<body>Li<hr>")) << page;
    EXPECT_TRUE(page.EndsWith("</body>")) << page;
    // Labels people read, dates as the program writes them (a year-less
    // birthday without an invented year), names in reading order and
    // addresses whole; a group's label names its other lines.
    EXPECT_NE(page.Find("<BR>Birthday: 04/15<BR>"), wxNOT_FOUND) << page;
    EXPECT_NE(page.Find("<BR>Anniversary: 2004/08/07<BR>"), wxNOT_FOUND) << page;
    EXPECT_EQ(page.Find("_$!<"), wxNOT_FOUND) << page;
    EXPECT_NE(page.Find("<BR>X-ABLABEL: &lt;Spouse&gt;<BR>"), wxNOT_FOUND) << "a label of nothing shows as it is";
    EXPECT_NE(page.Find("<BR>Name: Dr. Max Middle Name Mustermann<BR>"), wxNOT_FOUND) << page;
    EXPECT_NE(page.Find(wxString::FromUTF8("<BR>Address: 1, Hauptstra;e 5, K\xC3\xB6ln, 51147<BR>")), wxNOT_FOUND)
        << page;
    EXPECT_NE(page.Find("<BR>X-CUSTOM: one, two<BR>three"), wxNOT_FOUND) << page;
    EXPECT_NE(page.Find("<BR>PHOTO</body>"), wxNOT_FOUND) << "a photo shows its name only: " << page;
    c.birthday = wxDateTime(15, wxDateTime::Apr, 1980);
    EXPECT_EQ(Render("<body>$last_name$</body>", c).Find("Birthday"), wxNOT_FOUND) << "a birthday typed in wins";
}

TEST_F(FrameTest, MissingTemplateShowsTheWelcomePageForEveryContact)
{
    AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
    OpenFrame();
    frame->GetDetailPane()->LoadDetailTemplate(dir.Path() + "/no-such-template.html");
    EXPECT_EQ(DetailPage::FallbackPage(), frame->GetDetailPane()->GetDetailTemplate());
    frame->ShowSelection();
    EXPECT_NE(wxNOT_FOUND, DetailSource().Find("Welcome to Corvala!"));
    EXPECT_EQ(wxNOT_FOUND, DetailSource().Find("Li"));

    wxString empty = dir.Path() + "/empty.html";
    wxFile(empty, wxFile::write).Close();
    frame->GetDetailPane()->LoadDetailTemplate(empty);
    EXPECT_EQ("", frame->GetDetailPane()->GetDetailTemplate())
        << "an empty template file is read, not replaced by the welcome page";

    wxString broken = dir.Path() + "/broken.html";
    {
        wxFile file(broken, wxFile::write);
        const char bytes[] = "<p>\xff\xfe$last_name$</p>";
        file.Write(bytes, sizeof(bytes) - 1);
    }
    frame->GetDetailPane()->LoadDetailTemplate(broken);
    EXPECT_EQ(DetailPage::FallbackPage(), frame->GetDetailPane()->GetDetailTemplate())
        << "bytes that are not UTF-8 keep the welcome page";
}

TEST_F(FrameTest, TemplateIsReadAsUtf8AndFilledWithTags)
{
    int friends = AddTag("Friends", 2);
    int work = AddTag("Work", 1);
    int id = AddContact({wxString::FromUTF8("Łukasz"), wxString::FromUTF8("Zoë"), "Lukasz", "Zoe", 1, ""});
    Link(id, friends);
    Link(id, work);
    wxString path = dir.Path() + "/tpl.html";
    {
        wxFile file(path, wxFile::write);
        file.Write(wxString::FromUTF8("<p>$last_name$ · $first_name$ [$tags$]</p>"), wxConvUTF8);
    }
    OpenFrame();
    frame->GetDetailPane()->LoadDetailTemplate(path);
    frame->ShowSelection();
    wxArrayString names;
    frame->GetModel()->tagManager.GetTagNamesByIds(Contacts().currentContact->tagIds, names);
    wxString tags;
    for (const wxString& name : names)
        tags += name + " | ";
    EXPECT_EQ(wxString::FromUTF8("<p>Łukasz · Zoë [") + tags + "]</p>", DetailSource());
    EXPECT_EQ(2u, names.GetCount());
}

TEST_F(FrameTest, LinksGoToTheBrowserAndThePageStays)
{
    AddContact({"Li", "Wei", "Li", "Wei", 1, ""});
    OpenFrame();
    std::vector<wxString> opened;
    MyHtmlWin::SetLinkOpener([&](const wxString& target) { opened.push_back(target); });
    MyHtmlWin* html = Child<MyHtmlWin>("htmlWindow");
    wxString before = DetailSource();
    html->OnLinkClicked(wxHtmlLinkInfo("mailto:li@example.com"));
    MyHtmlWin::SetLinkOpener(MyHtmlWin::LinkOpener());
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ("mailto:li@example.com", opened[0]);
    EXPECT_EQ(before, DetailSource());
}
