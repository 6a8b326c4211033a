// The pictures, icons and the detail template the windows load.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/icon.h>
#include <wx/image.h>

#include "platform/Platform.h"
#include "tests/support/GuiTest.h"

namespace
{
struct NamedPicture
{
    const char* path;
    int width;
    int height;
};

// Every picture file the program loads, relative to the working directory.
const NamedPicture namedPictures[] = {
    // toolbar
    {"img/ContactEdit_s24_01.png", 24, 24},
    {"img/ContactEdit_s24_02.png", 24, 24},
    {"img/Delete_s24_01.png", 24, 24},
    {"img/User_s24_02.png", 24, 24},
    {"img/Import_s24_01.png", 24, 24},
    {"img/Setting_s24_01.png", 24, 24},
    {"img/Update_s24_01.png", 24, 24},
    {"img/About_s24_01.png", 24, 24},
    // menus
    {"img/ContactEdit_s16_01.png", 16, 16},
    {"img/ContactEdit_s16_02.png", 16, 16},
    {"img/Delete_s16_01.png", 16, 16},
    {"img/User_s16_01.png", 16, 16},
    {"img/Setting_s16_01.png", 16, 16},
    {"img/Import_s16_01.png", 16, 16},
    {"img/Update_s16_01.png", 16, 16},
    {"img/About_s16_01.png", 16, 16},
    // dialogs
    {"img/ContactEdit_s48_01.png", 48, 48},
    {"img/ContactEdit_s48_02.png", 48, 48},
    {"img/History_s48_01.png", 48, 48},
    {"img/User_s48_02.png", 48, 48},
    {"img/Import_s48_01.png", 48, 48},
    // business cards, multi-selection page and detail template
    {"img/User_s24_00.png", 24, 24},
    {"img/User_s24_01.png", 24, 24},
    {"img/user_s24_00.png", 24, 24},
    {"img/user_s24_01.png", 24, 24},
    {"img/user_s48_00.png", 48, 48},
    {"img/user_s48_01.png", 48, 48},
    {"img/User_s24_03.png", 24, 24},
    {"img/user_s24_03.png", 24, 24},
    {"img/user_s48_03.png", 48, 48},
    {"img/Star_s16_00.png", 16, 16},
    {"img/Star_s16_05.png", 16, 16},
    {"img/Star_s16_10.png", 16, 16},
    {"img/Star_s16_50.png", 16, 16},
    // about box
    {"img/marrowind_logo.bmp", 360, 64},
    {"img/marrowind_stat_01.jpg", 148, 36},
};

// Pictures the cards draw with white masked out.
const char* const maskedPictures[] = {
    "img/User_s24_00.png", "img/User_s24_01.png", "img/Star_s16_00.png",
    "img/Star_s16_05.png", "img/Star_s16_10.png", "img/Star_s16_50.png",
};

wxString SourcePath(const wxString& relative)
{
    // __FILE__ may be relative (a compiler cache rewrites it), and the test
    // runs in a temporary folder: the build names the source tree.
#ifdef CORVALA_SOURCE_DIR
    return wxString(CORVALA_SOURCE_DIR) + wxFILE_SEP_PATH + relative;
#endif
    // This file lives in tests/views of the source tree.
    wxFileName name(wxString::FromUTF8(__FILE__));
    name.RemoveLastDir();
    name.RemoveLastDir();
    return name.GetPath() + wxFILE_SEP_PATH + relative;
}

// The template, or its copy with the labels in a language ("zh_CN/").
wxString ReadTemplate(const wxString& language = wxString())
{
    wxString text;
    wxFFile file(SourcePath("resources/conf/" + language + "contact_detail_tpl.html"), "rb");
    if (file.IsOpened())
        file.ReadAll(&text, wxConvUTF8);
    return text;
}

size_t CountOf(const wxString& text, const wxString& what)
{
    size_t count = 0;
    for (size_t pos = text.find(what); pos != wxString::npos; pos = text.find(what, pos + what.length()))
        ++count;
    return count;
}

class ResourceIconsTest : public CorvalaGuiTest
{
};
} // namespace

TEST_F(ResourceIconsTest, BuiltInIconsLoadAtSixteenPixels)
{
    for (const char* name :
         {"icon_group", "icon_contact_male", "icon_contact_female", "icon_history", "icon_contact_not_stated"})
    {
        wxBitmap icon = Platform::LoadResourceIcon(name);
        ASSERT_TRUE(icon.IsOk()) << name << " does not load";
        EXPECT_EQ(icon.GetWidth(), 16) << name;
        EXPECT_EQ(icon.GetHeight(), 16) << name;
        EXPECT_TRUE(icon.HasAlpha()) << name << " should have a transparent background";
    }
    // The three person icons must differ: the lists tell the sexes (and a
    // sex not stated) apart by them.
    wxImage male = Platform::LoadResourceIcon("icon_contact_male").ConvertToImage();
    wxImage female = Platform::LoadResourceIcon("icon_contact_female").ConvertToImage();
    wxImage unstated = Platform::LoadResourceIcon("icon_contact_not_stated").ConvertToImage();
    EXPECT_NE(memcmp(male.GetData(), female.GetData(), 16 * 16 * 3), 0);
    EXPECT_NE(memcmp(male.GetData(), unstated.GetData(), 16 * 16 * 3), 0);
    EXPECT_NE(memcmp(female.GetData(), unstated.GetData(), 16 * 16 * 3), 0);
}

TEST_F(ResourceIconsTest, UnknownIconNameGivesInvalidBitmap)
{
    EXPECT_FALSE(Platform::LoadResourceIcon("icon_missing").IsOk());
    EXPECT_FALSE(Platform::LoadResourceIcon("").IsOk());
    EXPECT_FALSE(Platform::LoadResourceIcon("ICON_GROUP").IsOk()) << "names are matched exactly";
}

TEST_F(ResourceIconsTest, EveryNamedPictureLoadsAtItsSize)
{
    for (const NamedPicture& picture : namedPictures)
    {
        ASSERT_TRUE(wxFileName::FileExists(picture.path)) << picture.path << " is missing";
        wxBitmap bitmap(picture.path, wxBITMAP_TYPE_ANY);
        ASSERT_TRUE(bitmap.IsOk()) << picture.path << " does not load";
        EXPECT_EQ(bitmap.GetWidth(), picture.width) << picture.path;
        EXPECT_EQ(bitmap.GetHeight(), picture.height) << picture.path;
    }
    // The two spellings of the person pictures are the same pictures.
    for (const char* num : {"00", "01"})
    {
        wxImage upper(wxString::Format("img/User_s24_%s.png", num));
        wxImage lower(wxString::Format("img/user_s24_%s.png", num));
        ASSERT_TRUE(upper.IsOk() && lower.IsOk()) << num;
        EXPECT_EQ(memcmp(upper.GetData(), lower.GetData(), 24 * 24 * 3), 0) << num;
    }
}

TEST_F(ResourceIconsTest, WindowIconHoldsThreeSizes)
{
    const wxString path = "img/Corvala_02.ico";
    ASSERT_EQ(wxImage::GetImageCount(path, wxBITMAP_TYPE_ICO), 3);
    std::vector<int> sizes;
    for (int i = 0; i < 3; ++i)
    {
        wxImage image(path, wxBITMAP_TYPE_ICO, i);
        ASSERT_TRUE(image.IsOk()) << "image " << i;
        EXPECT_EQ(image.GetWidth(), image.GetHeight()) << "image " << i;
        EXPECT_TRUE(image.HasAlpha()) << "image " << i;
        sizes.push_back(image.GetWidth());
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));

    wxIcon icon(path, wxBITMAP_TYPE_ICO);
    ASSERT_TRUE(icon.IsOk());
    EXPECT_EQ(icon.GetWidth(), 48) << "the window icon loads at its largest size";
    // The about box loads it as "any image type".
    wxBitmap any(path, wxBITMAP_TYPE_ANY);
    ASSERT_TRUE(any.IsOk());
    EXPECT_EQ(any.GetWidth(), 48) << "the about box shows the largest image";
}

TEST_F(ResourceIconsTest, CardPicturesSurviveTheWhiteMask)
{
    // The cards mask white and draw over white, grey or the selection colour:
    // the background must vanish and the figure must stay whole.
    const wxColour cardColour(231, 223, 221);
    for (const char* path : maskedPictures)
    {
        wxImage image(path);
        ASSERT_TRUE(image.IsOk()) << path;
        int figurePixels = 0;
        int maskedFigurePixels = 0;
        int visibleBackgroundPixels = 0;
        for (int y = 0; y < image.GetHeight(); ++y)
        {
            for (int x = 0; x < image.GetWidth(); ++x)
            {
                int alpha = image.HasAlpha() ? image.GetAlpha(x, y) : 255;
                bool white = image.GetRed(x, y) == 255 && image.GetGreen(x, y) == 255 && image.GetBlue(x, y) == 255;
                if (alpha == 255 && !white)
                    ++figurePixels;
                if (alpha == 255 && white)
                    ++maskedFigurePixels;
                if (alpha == 0 && !white)
                    ++visibleBackgroundPixels;
            }
        }
        EXPECT_EQ(maskedFigurePixels, 0)
            << path
            << ": opaque white pixels: the mask would punch holes in the figure (keep the background transparent)";
        EXPECT_EQ(visibleBackgroundPixels, 0) << path << ": transparent pixels must be white for the mask";
        EXPECT_GT(figurePixels, image.GetWidth() * image.GetHeight() / 5) << path;

        wxBitmap bitmap(path, wxBITMAP_TYPE_PNG);
        bitmap.SetMask(new wxMask(bitmap, *wxWHITE));
        wxBitmap target(40, 40, 24);
        {
            wxMemoryDC dc(target);
            dc.SetBackground(wxBrush(cardColour));
            dc.Clear();
            dc.DrawBitmap(bitmap, 4, 4, true);
        }
        wxImage drawn = target.ConvertToImage();
        EXPECT_EQ(wxColour(drawn.GetRed(4, 4), drawn.GetGreen(4, 4), drawn.GetBlue(4, 4)), cardColour)
            << path << ": the corner should show the card";
        int cx = 4 + image.GetWidth() / 2, cy = 4 + image.GetHeight() / 2 + 2;
        EXPECT_NE(wxColour(drawn.GetRed(cx, cy), drawn.GetGreen(cx, cy), drawn.GetBlue(cx, cy)), cardColour)
            << path << ": the figure should cover the middle";
    }
}

TEST_F(ResourceIconsTest, DetailTemplateUsesEveryPlaceholderOnce)
{
    // The English template and its translations alike.
    for (const char* language : {"", "zh_CN/", "ja/"})
    {
        SCOPED_TRACE(language);
        const wxString page = ReadTemplate(language);
        ASSERT_FALSE(page.empty()) << "the template is missing or not UTF-8";

        // Replaced at the first occurrence only: a second one would show literally.
        const char* const once[] = {
            "$img_num$",           "$last_name$",
            "$last_name_alpha$",   "$first_name$",
            "$first_name_alpha$",  "$sex$",
            "$birthday$",          "$company$",
            "$department$",        "$job_title$",
            "$business_phone_2$",  "$business_phone$",
            "$business_mobile_2$", "$business_mobile$",
            "$business_fax_2$",    "$business_fax$",
            "$business_im_3$",     "$business_im_2$",
            "$business_im$",       "$business_street_3$",
            "$business_street_2$", "$business_street$",
            "$home_phone_2$",      "$home_phone$",
            "$home_mobile_2$",     "$home_mobile$",
            "$home_fax_2$",        "$home_fax$",
            "$home_im_3$",         "$home_im_2$",
            "$home_im$",           "$home_street_3$",
            "$home_street_2$",     "$home_street$",
            "$BR_TAG_HP_2$",       "$BR_TAG_HP$",
            "$comment$",           "$tags$",
        };
        for (const char* placeholder : once)
            EXPECT_EQ(CountOf(page, placeholder), 1u) << placeholder;

        // Replaced everywhere: each is a link target and its text.
        EXPECT_EQ(CountOf(page, "href=\"mailto:$email$\""), 1u);
        EXPECT_EQ(CountOf(page, "href=\"mailto:$email_2$\""), 1u);
        EXPECT_EQ(CountOf(page, "href=\"$webpage$\""), 1u);
        EXPECT_EQ(CountOf(page, "href=\"$webpage_2$\""), 1u);
        EXPECT_EQ(CountOf(page, "$email$"), 2u);
        EXPECT_EQ(CountOf(page, "$email_2$"), 2u);
        EXPECT_EQ(CountOf(page, "$webpage$"), 2u);
        EXPECT_EQ(CountOf(page, "$webpage_2$"), 2u);

        // Backslash-n anywhere in the page becomes a line break.
        EXPECT_EQ(page.find("\\n"), wxString::npos);
    }
}

TEST_F(ResourceIconsTest, DetailTemplatePersonPictureExistsForBothSexes)
{
    const wxString page = ReadTemplate();
    size_t at = page.find("$img_num$");
    ASSERT_NE(at, wxString::npos);
    size_t start = page.rfind('"', at);
    size_t end = page.find('"', at);
    ASSERT_TRUE(start != wxString::npos && end != wxString::npos);
    const wxString source = page.substr(start + 1, end - start - 1);
    EXPECT_TRUE(source.StartsWith("img/")) << source << ": paths resolve against the working directory";
    for (const char* num : {"0", "1"})
    {
        wxString path = source;
        path.Replace("$img_num$", num);
        EXPECT_TRUE(wxFileName::FileExists(path)) << path;
        EXPECT_TRUE(wxImage(path).IsOk()) << path;
    }
}
