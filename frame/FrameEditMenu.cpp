// The Edit menu (the undo of the last delete, import, change of many
// contacts or merge) and the deleted contacts of the Contact menu.
#include <wx/menu.h>
#include <wx/textentry.h>

#include "dialogs/DeletedContactsDlg.h"
#include "frame/Corva.h"
#include "frame/CorvalaFrame.h"

wxMenu* CorvalaFrame::BuildEditMenu()
{
    wxMenu* edit = new wxMenu();
    edit->Append(idMenuUndo, _("&Undo\tCtrl+Z"), _("Undo the last delete, import, merge or change of many contacts."));
    return edit;
}

void CorvalaFrame::ConnectEditCommands()
{
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&)
        {
            // In a text field the key undoes the typing, as it does everywhere.
            if (wxTextEntry* text = dynamic_cast<wxTextEntry*>(wxWindow::FindFocus()))
            {
                if (text->CanUndo())
                    text->Undo();
                return;
            }
            model->contactManager.Undo();
        },
        idMenuUndo);
    Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& event)
        {
            wxString label = _("&Undo");
            switch (model->contactManager.GetUndoKind())
            {
            case ContactManager::UNDO_DELETE:
                label = _("&Undo delete");
                break;
            case ContactManager::UNDO_IMPORT:
                label = _("&Undo import");
                break;
            case ContactManager::UNDO_EDIT:
                label = _("&Undo change");
                break;
            case ContactManager::UNDO_MERGE:
                label = _("&Undo merge");
                break;
            case ContactManager::UNDO_NOTHING:
                break;
            }
            event.SetText(label + "\tCtrl+Z");
            event.Enable(model->contactManager.GetUndoKind() != ContactManager::UNDO_NOTHING ||
                         dynamic_cast<wxTextEntry*>(wxWindow::FindFocus()) != nullptr);
        },
        idMenuUndo);
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&)
        {
            DeletedContactsDlg dialog(this, model->contactManager);
            dialog.ShowModal();
        },
        idMenuDeleted);
}
