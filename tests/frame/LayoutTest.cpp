#include <wx/aui/auibook.h>
#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/translation.h>

#include <clocale>
#include <string>

#include "dialogs/Language.h"
#include "tests/frame/FrameFixture.h"

namespace
{
// The named controls of the search center and of the history and
// statistics pages, with the notebook page that shows each group.
const char* const SEARCH_CENTER[] = {
    "ID_STATICTEXT2",     "ID_LISTCTRL_TAGS",
    "ID_STATICTEXT1",     "ID_PANEL_ALPHABET",
    "ID_STATICTEXT4",     "ID_COMBOBOX_KEYWORD",
    "ID_BUTTON_SEARCH",   "ID_BUTTON_RESET",
    "ID_STATICLINE5",     "ID_BUTTON_PLUS",
    "ID_STATICLINE1",     "ID_STATICTEXT3",
    "ID_STATICTEXT5",     "ID_TEXTCTRL_SELTAG",
    "ID_STATICTEXT6",     "ID_TEXTCTRL_FIRST_APLPHABET",
    "ID_STATICTEXT8",     "ID_TEXTCTRLCONDITION_KEYWORD",
    "ID_STATICTEXT7",     "ID_STATICLINE6",
    "ID_STATICTEXT9",     "ID_BUTTON_PREVPAGE",
    "ID_BUTTON_NEXTPAGE", "ID_NOTEBOOK_VIEW",
    "ID_LISTCTRL_RESULT",
};
const char* const HISTORY_PAGE[] = {
    "ID_BUTTON_NEW_HIS", "ID_BUTTON_EDIT_HIS", "ID_BUTTON_DEL_HIS",
    "ID_STATICLINE3",    "ID_BUTTON_HIS_COPY", "ID_LISTCTRL_CONTACT_HISTORY",
};
const struct
{
    const char* panel;
    std::vector<const char*> controls;
} STATISTICS_PAGES[] = {
    {"ID_PANEL2", {"ID_BUTTON_REFRESH", "ID_LISTCTRL_STATUS"}},
    {"ID_PANEL6",
     {"ID_BUTTON_LAST_MONTH", "ID_BUTTON_NEXT_MONTH", "ID_STATICLINE4", "ID_BUTTON_CUR_MONTH", "ID_LISTCTRL_REMINDER"}},
    {"ID_PANEL5", {"ID_BUTTON_TAG_REFRESH", "ID_LISTCTRL_TAGSTAT"}},
    {"ID_PANEL8", {"ID_BUTTON_WEEK", "ID_BUTTON_ONE_MONTH", "ID_BUTTON_SIX_MONTH", "ID_LISTCTRL_RECNENT"}},
};

class LayoutTest : public FrameTest
{
protected:
    // A control lies inside its parent with a positive size; a button or a
    // label also shows its whole text, and a control with a least size is
    // not squeezed below it.
    void ExpectFits(const char* name, const std::string& where)
    {
        wxWindow* control = Child(name);
        if (!control)
            return;
        const wxRect rect = control->GetRect();
        const wxRect parent(control->GetParent()->GetClientSize());
        EXPECT_TRUE(control->IsShownOnScreen()) << where << name;
        EXPECT_TRUE(rect.width > 0 && rect.height > 0) << where << name << " is " << rect.width << "x" << rect.height;
        EXPECT_TRUE(parent.Contains(rect))
            << where << name << " at " << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height
            << " leaves its parent of " << parent.width << "x" << parent.height;
        wxSize least = control->GetMinSize();
        const bool text = dynamic_cast<wxButton*>(control) ||
                          (dynamic_cast<wxStaticText*>(control) && !control->HasFlag(wxST_NO_AUTORESIZE));
        if (text)
            least.IncTo(wxSize(control->GetBestSize().x, -1));
        EXPECT_GE(rect.width, least.x) << where << name << " is narrower than its text or least width";
        // A list shows its header and at least two rows.
        if (dynamic_cast<wxListCtrl*>(control) && control->HasFlag(wxLC_REPORT))
        {
            EXPECT_GE(rect.height, 3 * (control->GetCharHeight() + 4)) << where << name << " is too low to show rows";
        }
    }

    void ExpectEverythingFits(const std::string& where)
    {
        frame->GetPaneManager().Update();
        ProcessPending();
        for (const char* name : SEARCH_CENTER)
            ExpectFits(name, where);

        wxAuiNotebook* detail = frame->GetPaneManager().GetPane("DetailInfo").window
                                    ? static_cast<wxAuiNotebook*>(frame->GetPaneManager().GetPane("DetailInfo").window)
                                    : nullptr;
        ASSERT_TRUE(detail);
        detail->SetSelection(detail->GetPageIndex(Child("ID_PANEL7")));
        ProcessPending();
        for (const char* name : HISTORY_PAGE)
            ExpectFits(name, where);

        wxAuiNotebook* stat = static_cast<wxAuiNotebook*>(frame->GetPaneManager().GetPane("StatInfo").window);
        ASSERT_TRUE(stat);
        for (const auto& page : STATISTICS_PAGES)
        {
            stat->SetSelection(stat->GetPageIndex(Child(page.panel)));
            ProcessPending();
            for (const char* name : page.controls)
                ExpectFits(name, where);
        }
    }
};
} // namespace

TEST_F(LayoutTest, EveryControlFitsFromTheMinimumSizeUpInEveryLanguage)
{
    wxLocale::AddCatalogLookupPathPrefix("locales");
    wxString oldLanguage;
    const bool hadLanguage = wxGetEnv("LANGUAGE", &oldLanguage);
    const std::string oldMessages = std::setlocale(LC_MESSAGES, nullptr);
    for (wxLanguage language : {wxLANGUAGE_ENGLISH, wxLANGUAGE_CHINESE_SIMPLIFIED, wxLANGUAGE_JAPANESE})
    {
        const std::string name = wxLocale::GetLanguageName(language).utf8_string();
        {
            wxLocale locale;
            ASSERT_TRUE(SetUpLanguage(locale, language)) << name;
            OpenFrame();
            const wxSize minimum = frame->GetMinSize();
            frame->SetSize(minimum);
            ProcessPending();
            EXPECT_EQ(minimum, frame->GetSize()) << name;
            ExpectEverythingFits(name + " at the minimum size: ");

            frame->SetClientSize(800, 500);
            ProcessPending();
            ExpectEverythingFits(name + " at 800 x 500: ");
            CloseFrame();
            if (!locale.IsOk())
                wxTranslations::Set(nullptr);
        }
    }
    if (hadLanguage)
        wxSetEnv("LANGUAGE", oldLanguage);
    else
        wxUnsetEnv("LANGUAGE");
    std::setlocale(LC_MESSAGES, oldMessages.c_str());
}
