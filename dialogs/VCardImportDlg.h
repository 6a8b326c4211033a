// The vCard import dialog: the user picks .vcf files (or drops them on the
// main window), says what to do with cards that match existing contacts,
// and imports; each file is one batch that is stored whole or not at all.
#pragma once

#include <functional>

#include <wx/arrstr.h>
#include <wx/dialog.h>
#include <wx/dnd.h>

class ContactManager;
class TagManager;
class wxButton;
class wxRadioBox;
class wxStaticText;
class wxTextCtrl;

class VCardImportDlg : public wxDialog
{
public:
    // The cards become contacts (and their categories tags) through these.
    VCardImportDlg(wxWindow* parent, wxWindowID id, TagManager& tags, ContactManager& contacts);

    // The files to import (chosen, or dropped on the main window).
    void SetPaths(const wxArrayString& paths);
    const wxArrayString& GetPaths() const
    {
        return paths;
    }

    void OnButtonSelFileClick(wxCommandEvent& event);
    void OnButtonImportClick(wxCommandEvent& event);

    bool IsImporting() const
    {
        return importing;
    }

    // Whether a file name looks like a vCard file (.vcf or .vcard).
    static bool IsVCardFile(const wxString& path);

private:
    void ShowStatus(const wxString& text);

    wxTextCtrl* txtPath;
    wxButton* buttonSelFile;
    wxRadioBox* radioDuplicates;
    wxButton* buttonImport;
    wxButton* buttonClose;
    wxStaticText* lblStatus;
    wxArrayString paths;
    TagManager& tagManager;
    ContactManager& contactManager;
    bool importing = false;
};

// Accepts .vcf files dropped on a window and hands them on after the drop
// has finished (a modal dialog inside the drop would hold the drag source).
class VCardDropTarget : public wxFileDropTarget
{
public:
    using Handler = std::function<void(const wxArrayString& paths)>;
    explicit VCardDropTarget(Handler onFiles) : onFiles(std::move(onFiles)) {}

    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override;

private:
    Handler onFiles;
};
