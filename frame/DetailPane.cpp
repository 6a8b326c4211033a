#include "frame/DetailPane.h"

#include <wx/button.h>
#include <wx/filesys.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stream.h>
#include <wx/translation.h>

#include <vector>

#include "frame/DetailPage.h"
#include "frame/FlowSizer.h"
#include "frame/FrameIds.h"
#include "frame/MyHtmlWin.h"
#include "platform/Platform.h"
#include "storage/KeptProperties.h"
#include "storage/TagManager.h"

DetailPane::DetailPane(wxWindow* parent, const FrameIds& ids, TagManager& tags)
    : wxPanel(parent, ids.ID_PANEL3, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL3"), tagManager(tags)
{

    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    // Compact like the buttons of the other panes, so that the row fits.
    editButton = MakeCompactButton(this, ids.ID_BUTTON_EDIT, _("&Edit..."), "ID_BUTTON_EDIT");
    buttons->Add(editButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    deleteButton = MakeCompactButton(this, ids.ID_BUTTON_DELETE, _("&Delete"), "ID_BUTTON_DELETE");
    buttons->Add(deleteButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    buttons->Add(
        new wxStaticLine(this, ids.ID_STATICLINE2, wxDefaultPosition, wxSize(1, 20), wxLI_VERTICAL, "ID_STATICLINE2"),
        0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    copyButton = MakeCompactButton(this, ids.ID_BUTTON_COPY, _("&Copy..."), "ID_BUTTON_COPY");
    buttons->Add(copyButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    sizer->Add(buttons, 0, wxEXPAND);

    detailWindow =
        new MyHtmlWin(this, ids.ID_HTMLWINDOW, wxDefaultPosition, wxDefaultSize, wxHW_SCROLLBAR_AUTO, "htmlWindow");
    sizer->Add(detailWindow, 1, wxALL | wxEXPAND, 5);
    SetSizer(sizer);
}

wxString DetailPane::DefaultTemplatePath()
{
    const wxString conf = Platform::GetExecutableDir() + wxFILE_SEP_PATH + "conf" + wxFILE_SEP_PATH;
    const wxString name = "contact_detail_tpl.html";
    // The page's own labels in the language of the program's catalogue,
    // where conf/ holds a template for it ("zh_CN/", "ja/").
    if (wxTranslations* translations = wxTranslations::Get())
    {
        const wxString language = translations->GetBestTranslation("Corvala");
        for (const wxString& folder : {language, language.BeforeFirst('_')})
        {
            const wxString path = conf + folder + wxFILE_SEP_PATH + name;
            if (!folder.empty() && wxFileName::FileExists(path))
                return path;
        }
    }
    return conf + name;
}

void DetailPane::LoadDetailTemplate()
{
    LoadDetailTemplate(DefaultTemplatePath());
}

void DetailPane::LoadDetailTemplate(const wxString& path)
{
    detailTemplate = DetailPage::FallbackPage();
    if (!wxFileName::FileExists(path))
        return;
    wxFileSystem fs;
    std::unique_ptr<wxFSFile> file(fs.OpenFile(wxFileSystem::FileNameToURL(wxFileName(path)), wxFS_READ));
    if (!file || !file->GetStream())
        return;
    wxInputStream* in = file->GetStream();
    std::string bytes;
    char buffer[4096];
    while (!in->Eof())
    {
        in->Read(buffer, sizeof(buffer));
        size_t got = in->LastRead();
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    // An empty file is the user's empty page; bytes that are not UTF-8
    // decode to nothing and keep the welcome page instead.
    if (!text.empty() || bytes.empty())
        detailTemplate = text;
}

void DetailPane::ShowContactDetail(ContactInfoEx* contact)
{
    if (!contact)
        return;
    wxArrayString tagNames;
    tagManager.GetTagNamesByIds(contact->tagIds, tagNames);
    // The page's records carry no kept properties of their own.
    ContactInfoEx shown = *contact;
    if (shown.id >= 0)
        KeptProperties::Load(shown);
    detailWindow->SetPage(DetailPage::RenderContact(detailTemplate, shown, tagNames));
}

bool DetailPane::ShowSelection(const ContactArray& selection, ContactInfoEx* current)
{
    ContactInfoEx* shown = nullptr;
    if (selection.GetCount() < 2)
    {
        shown = current;
        // With no current contact the page must not keep naming a contact
        // that is gone or no longer selected.
        if (shown)
            ShowContactDetail(shown);
        else
            detailWindow->SetPage(wxString());
    }
    else
    {
        std::vector<const ContactInfoEx*> contacts;
        for (size_t i = 0; i < selection.GetCount(); ++i)
            contacts.push_back(static_cast<const ContactInfoEx*>(selection[i]));
        detailWindow->SetPage(DetailPage::RenderSelection(contacts));
        shown = static_cast<ContactInfoEx*>(selection.Last());
    }
    return shown != nullptr;
}

void DetailPane::EnableCommands(bool enable)
{
    editButton->Enable(enable);
    deleteButton->Enable(enable);
    copyButton->Enable(enable);
}
