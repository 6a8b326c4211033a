// The "Detail" page: the current contact rendered from the template, or the
// names of a multi-selection, under the Edit, Delete and Copy buttons (whose
// clicks the frame turns into the contact commands).
#pragma once

#include <wx/panel.h>

#include "storage/ContactInfoEx.h"

class MyHtmlWin;
class TagManager;
class wxButton;
struct FrameIds;

class DetailPane : public wxPanel
{
public:
    DetailPane(wxWindow* parent, const FrameIds& ids, TagManager& tags);

    void LoadDetailTemplate();
    void LoadDetailTemplate(const wxString& path);
    static wxString DefaultTemplatePath();
    const wxString& GetDetailTemplate() const
    {
        return detailTemplate;
    }

    void ShowContactDetail(ContactInfoEx* contact);
    // The current contact, or the names of a selection of several; returns
    // whether the page shows anyone (the contact commands apply then).
    bool ShowSelection(const ContactArray& selection, ContactInfoEx* current);
    void EnableCommands(bool enable);

    MyHtmlWin* GetDetailWindow() const
    {
        return detailWindow;
    }

private:
    TagManager& tagManager;
    MyHtmlWin* detailWindow = nullptr;
    wxButton* editButton = nullptr;
    wxButton* deleteButton = nullptr;
    wxButton* copyButton = nullptr;
    wxString detailTemplate;
};
