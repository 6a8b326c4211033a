#include "dialogs/Language.h"

#include <wx/choicdlg.h>
#include <wx/config.h>
#include <wx/listbox.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/msgout.h>
#include <wx/translation.h>

#include "platform/Platform.h"

namespace
{
const char* const LANGUAGE_KEY = "ui_language";
const char* const DEFAULT_WORD = "default";
const char* const CATALOGUE = "Corvala";

const wxLanguage OFFERED_LANGUAGES[] = {
    wxLANGUAGE_DEFAULT,
    wxLANGUAGE_CHINESE_SIMPLIFIED,
    wxLANGUAGE_ENGLISH,
    wxLANGUAGE_JAPANESE,
};
} // namespace

wxLanguage ChooseLanguage()
{
    wxArrayString labels;
    labels.Add(_("(Use default language)"));
    labels.Add("Chinese (Simplified)");
    labels.Add("English");
    labels.Add("Japanese");

    wxSingleChoiceDialog dialog(nullptr, _("Select your prefered language"), _("Language selection"), labels);
    // 200 x 150 is too small for GTK's list and buttons; never cut a row off.
    for (wxWindow* child : dialog.GetChildren())
    {
        if (wxListBox* list = dynamic_cast<wxListBox*>(child))
            list->SetMinSize(wxSize(-1, static_cast<int>(labels.GetCount()) * (list->GetCharHeight() + 8) + 6));
    }
    wxSize size = dialog.GetBestSize();
    size.IncTo(wxSize(200, 150));
    dialog.SetSize(size);
    dialog.Centre();
    if (dialog.ShowModal() != wxID_OK)
        return wxLANGUAGE_UNKNOWN;
    int row = dialog.GetSelection();
    if (row < 0 || row >= static_cast<int>(WXSIZEOF(OFFERED_LANGUAGES)))
        return wxLANGUAGE_UNKNOWN;
    return OFFERED_LANGUAGES[row];
}

void SaveLanguage(wxLanguage language)
{
    if (language == wxLANGUAGE_UNKNOWN)
        return;
    wxConfigBase* config = wxConfigBase::Get();
    if (!config)
        return;
    wxString value =
        language == wxLANGUAGE_DEFAULT ? wxString(DEFAULT_WORD) : wxLocale::GetLanguageCanonicalName(language);
    config->Write(LANGUAGE_KEY, value);
    config->Flush();
}

wxLanguage GetConfiguredLanguage()
{
    wxConfigBase* config = wxConfigBase::Get();
    wxString stored;
    if (config)
        stored = config->Read(LANGUAGE_KEY, wxString());

    if (!stored.empty())
    {
        if (stored == DEFAULT_WORD)
            return wxLANGUAGE_DEFAULT;
        const wxLanguageInfo* info = wxLocale::FindLanguageInfo(stored);
        if (info)
            return static_cast<wxLanguage>(info->Language);
        wxLogError(_("Uknown locale code '%s' in registry."), stored);
        return wxLANGUAGE_DEFAULT;
    }

    wxLanguage chosen = ChooseLanguage();
    if (chosen == wxLANGUAGE_UNKNOWN)
        return wxLANGUAGE_DEFAULT;
    SaveLanguage(chosen);
    return chosen;
}

void SelectUiLanguage()
{
    wxLanguage chosen = ChooseLanguage();
    if (chosen == wxLANGUAGE_UNKNOWN)
        return;
    SaveLanguage(chosen);
    wxMessageBox(_("You must restart Corvala for this change to take effect."), _("Corvala"),
                 wxOK | wxICON_INFORMATION | wxCENTRE);
}

bool SetUpLanguage(wxLocale& locale, wxLanguage language)
{
    const int system = language == wxLANGUAGE_DEFAULT ? wxLocale::GetSystemLanguage() : language;
    bool withSystemLocale = false;
    // Initialising a locale the system lacks would warn at every start and
    // leave the program untranslated; asking first avoids both.
    if (system != wxLANGUAGE_UNKNOWN && wxLocale::IsAvailable(system))
        withSystemLocale = locale.Init(language, wxLOCALE_LOAD_DEFAULT);
    if (!withSystemLocale)
    {
        wxTranslations* translations = new wxTranslations;
        wxTranslations::Set(translations);
        if (language != wxLANGUAGE_DEFAULT)
            translations->SetLanguage(language);
        translations->AddStdCatalog();
        if (language != wxLANGUAGE_DEFAULT)
            wxMessageOutputStderr().Printf("Corvala: the system has no locale for %s; the program is translated "
                                           "all the same.\n",
                                           wxLocale::GetLanguageName(language));
    }

    if (language != wxLANGUAGE_DEFAULT)
        Platform::SetToolkitLanguage(wxLocale::GetLanguageCanonicalName(language));

    wxTranslations* translations = wxTranslations::Get();
    if (!translations)
        return false;
    translations->AddCatalog(CATALOGUE);
    if (!translations->IsLoaded(CATALOGUE))
    {
        translations->SetLanguage(wxLANGUAGE_ENGLISH);
        translations->AddCatalog(CATALOGUE);
    }
    return translations->IsLoaded(CATALOGUE);
}
