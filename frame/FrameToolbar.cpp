// The toolbar: the commands used most, and the find box.
#include <wx/aui/auibar.h>

#include "frame/CorvalaFrame.h"
#include "frame/FindBox.h"
#include "frame/FrameImages.h"

void CorvalaFrame::BuildToolbar()
{
    toolbar = new wxAuiToolBar(this, ids.ID_AUITOOLBAR, wxDefaultPosition, wxDefaultSize,
                               wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_TEXT);
    auto tool = [this](int id, const wxString& label, const char* image, const wxString& help, const wxString& longHelp)
    {
        toolbar->AddTool(id, label, FrameImages::Load(image, 24), help, wxITEM_NORMAL);
        if (!longHelp.empty())
            toolbar->SetToolLongHelp(id, longHelp);
    };
    tool(ids.ID_TOOL_NEW, _("New"), "ContactEdit_s24_01.png", _("New contact"),
         _("Open new contact dialog to add contace."));
    tool(ids.ID_TOOL_EDIT, _("Edit"), "ContactEdit_s24_02.png", _("Edit selected contace"),
         _("Open edit contact dialog to edit a contact information."));
    tool(ids.ID_TOOL_DELETE, _("Delete"), "Delete_s24_01.png", _("Delete selected contact"),
         _("Delete selected contact."));
    toolbar->AddSeparator();
    tool(ids.ID_TOOL_TAG, _("Tag"), "User_s24_02.png", _("Tag management"), _("Open tag management dialog."));
    tool(ids.ID_TOOL_IMPORT, _("Import"), "Import_s24_01.png", wxEmptyString, wxEmptyString);
    toolbar->AddSeparator();
    tool(ids.ID_TOOL_SETTING, _("Setting"), "Setting_s24_01.png", _("Open settings dialog"),
         _("Open settings dialog."));
    tool(ids.ID_TOOL_UPDATE, _("Update"), "Update_s24_01.png", _("Check update"),
         _("Open the Corvala download page on www.marrowind.example."));
    tool(ids.ID_TOOL_ABOUT, _("About"), "About_s24_01.png", _("Open about dialog"), _("Open about dialog."));
    tool(idMenuSyncNow, _("Sync"), "Sync_s24_01.png", _("Sync with the accounts now"), wxEmptyString);
    toolbar->AddSeparator();
    findBox = new FindBox(toolbar, idFindBox, *searchCenter);
    toolbar->AddControl(findBox, _("Find"));
    toolbar->Realize();
    paneManager.AddPane(toolbar, wxAuiPaneInfo()
                                     .Name("Toolbar")
                                     .Caption(_("Toolbar"))
                                     .ToolbarPane()
                                     .Layer(10)
                                     .Top()
                                     .Gripper(true)
                                     .CloseButton(false)
                                     .RightDockable(false)
                                     .BottomDockable(false));
}
