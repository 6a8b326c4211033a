#include "dialogs/AboutDlg.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "dialogs/DialogCommon.h"
#include "dialogs/ProgramInfo.h"
#include "dialogs/wxHyperLink.h"

namespace
{
// wxBitmapButton needs some picture; a missing file gives an empty one of the
// picture's usual size instead of a zero-sized button.
wxBitmap ButtonBitmap(const wxString& file, const wxSize& fallbackSize)
{
    wxBitmap bitmap = LoadDialogBitmap(file);
    if (bitmap.IsOk())
        return bitmap;
    return wxBitmap(fallbackSize.x, fallbackSize.y);
}
} // namespace

AboutDlg::AboutDlg(wxWindow* parent, wxWindowID id)
    : wxDialog(parent, id, _("About..."), wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX,
               "id")
{
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticBitmap(this, wxID_ANY, LoadDialogBitmap("marrowind_logo.bmp"), wxDefaultPosition,
                                wxDefaultSize, 0, "ID_STATICBITMAP2"),
             0, wxALL | wxALIGN_CENTER_HORIZONTAL, DLG_BORDER);

    wxBoxSizer* body = new wxBoxSizer(wxHORIZONTAL);
    body->Add(new wxStaticBitmap(this, wxID_ANY, LoadDialogBitmap("Corvala_02.ico"), wxDefaultPosition, wxDefaultSize,
                                 0, "ID_STATICBITMAP1"),
              0, wxALL | wxALIGN_TOP, DLG_BORDER);

    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    wxStaticText* name =
        new wxStaticText(this, wxID_ANY, "Corvala", wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT1");
    name->SetFont(name->GetFont().Bold().Larger());
    column->Add(name, 0, wxALL, DLG_BORDER);
    column->Add(new wxStaticText(this, wxID_ANY, ProgramInfo::GetVersionLine(), wxDefaultPosition, wxDefaultSize, 0,
                                 "ID_STATICTEXT2"),
                0, wxLEFT | wxRIGHT | wxBOTTOM, DLG_BORDER);
    column->Add(new wxStaticText(this, wxID_ANY, _("For everyone who keeps in touch with the people who matter."),
                                 wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT4"),
                0, wxLEFT | wxRIGHT | wxBOTTOM, DLG_BORDER);
    column->Add(new wxStaticText(this, wxID_ANY, _("Copyright (C) 2008-2010 Marrowind. All rights reserved."),
                                 wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT3"),
                0, wxLEFT | wxRIGHT | wxBOTTOM, DLG_BORDER);
    column->Add(new wxStaticText(this, wxID_ANY, ProgramInfo::GetToolkitInfo(true), wxDefaultPosition, wxDefaultSize, 0,
                                 "ID_STATICTEXT5"),
                0, wxLEFT | wxRIGHT | wxBOTTOM, DLG_BORDER);

    wxBoxSizer* linkRow = new wxBoxSizer(wxHORIZONTAL);
    wxHyperLink* link =
        new wxHyperLink(this, wxID_ANY, ProgramInfo::WEB_SITE_HOST, wxDefaultPosition, wxDefaultSize, 0, "wxHyperLink");
    link->SetURL(ProgramInfo::WEB_SITE_URL);
    linkRow->Add(link, 0, wxALIGN_CENTER_VERTICAL);
    column->Add(linkRow, 0, wxLEFT | wxRIGHT | wxBOTTOM, DLG_BORDER);

    wxBoxSizer* mailRow = new wxBoxSizer(wxHORIZONTAL);
    mailRow->Add(new wxStaticText(this, wxID_ANY, _("E-mail: support@marrowind.example"), wxDefaultPosition,
                                  wxDefaultSize, 0, "ID_STATICTEXT6"),
                 0, wxALIGN_CENTER_VERTICAL);
    column->Add(mailRow, 0, wxLEFT | wxRIGHT | wxBOTTOM, DLG_BORDER);

    wxBitmapButton* download =
        new wxBitmapButton(this, wxID_ANY, ButtonBitmap("marrowind_stat_01.jpg", wxSize(88, 31)), wxDefaultPosition,
                           wxDefaultSize, wxBU_AUTODRAW, wxDefaultValidator, "ID_BITMAPBUTTON1");
    download->SetToolTip(_("Open the Corvala download page on www.marrowind.example."));
    column->Add(download, 0, wxLEFT | wxRIGHT | wxBOTTOM, DLG_BORDER);

    wxButton* ok = MakeButton(this, wxID_OK, _("&OK"), "wxID_OK");
    ok->SetDefault();
    column->Add(ok, 0, wxALL | wxALIGN_RIGHT, DLG_BORDER);

    body->Add(column, 1, wxEXPAND);
    top->Add(body, 1, wxEXPAND | wxALL, DLG_BORDER);
    SetSizerAndFit(top);
    CentreOnParent(wxBOTH);

    download->Bind(wxEVT_BUTTON, &AboutDlg::OnBitmapButtonDownloadClick, this);
}

void AboutDlg::OnBitmapButtonDownloadClick(wxCommandEvent&)
{
    wxHyperLink::LaunchBrowser(ProgramInfo::DOWNLOAD_URL, wxBROWSER_NEW_WINDOW);
}
