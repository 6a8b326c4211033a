// The search center: tag list, first-letter panel, keyword, paging.
#include <algorithm>
#include <cmath>

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/Corva.h"
#include "frame/CorvalaFrame.h"
#include "views/CardCanvas.h"

namespace
{
const int LETTER_CELL = 20;
const int LETTER_COUNT = 26;

// The condition fields write in the active-caption colour. Some themes
// (GTK's Adwaita among them) make it a pale grey that is unreadable on the
// button face; the highlight colour stands in for it there.
wxColour ConditionTextColour()
{
    wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVECAPTION);
    wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    if (std::abs(text.GetLuminance() - face.GetLuminance()) < 0.3)
        return wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    return text;
}

wxTextCtrl* ConditionField(wxWindow* parent, wxWindowID id, const char* name)
{
    // A small initial width: the fields grow with the row, and the page
    // label beside them must never be squeezed out.
    wxTextCtrl* field = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxSize(40, -1), wxTE_READONLY,
                                       wxDefaultValidator, name);
    field->SetForegroundColour(ConditionTextColour());
    field->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    return field;
}
} // namespace

wxPanel* CorvalaFrame::BuildSearchCenter(wxWindow* parent)
{
    searchPanel = new wxPanel(parent, ids.ID_PANEL1, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL1");
    wxBoxSizer* panelSizer = new wxBoxSizer(wxVERTICAL);

    upperSizer = new wxBoxSizer(wxVERTICAL);
    upperSizer->Add(new wxStaticText(searchPanel, ids.ID_STATICTEXT2, _("Select Tags:"), wxDefaultPosition,
                                     wxDefaultSize, 0, "ID_STATICTEXT2"),
                    0, wxLEFT | wxRIGHT | wxTOP, 5);
    tagList = new wxListCtrl(searchPanel, ids.ID_LISTCTRL_TAGS, wxDefaultPosition, wxSize(334, 80),
                             wxLC_LIST | wxLC_SINGLE_SEL | wxVSCROLL, wxDefaultValidator, "ID_LISTCTRL_TAGS");
    upperSizer->Add(tagList, 0, wxALL | wxEXPAND, 5);
    upperSizer->Add(new wxStaticText(searchPanel, ids.ID_STATICTEXT1, _("Select first alphabet of last name:"),
                                     wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT1"),
                    0, wxLEFT | wxRIGHT, 5);
    alphabetPanel = new wxPanel(searchPanel, ids.ID_PANEL_ALPHABET, wxDefaultPosition,
                                wxSize(LETTER_CELL * (LETTER_COUNT + 1) + 4, 22), wxSTATIC_BORDER | wxTAB_TRAVERSAL,
                                "ID_PANEL_ALPHABET");
    upperSizer->Add(alphabetPanel, 0, wxALL | wxEXPAND, 5);
    panelSizer->Add(upperSizer, 0, wxEXPAND);

    wxBoxSizer* keywordRow = new wxBoxSizer(wxHORIZONTAL);
    keywordRow->Add(new wxStaticText(searchPanel, ids.ID_STATICTEXT4, _("First name &keyword:"), wxDefaultPosition,
                                     wxDefaultSize, 0, "ID_STATICTEXT4"),
                    0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    keywordCombo = new wxComboBox(searchPanel, ids.ID_COMBOBOX_KEYWORD, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                  0, nullptr, 0, wxDefaultValidator, "ID_COMBOBOX_KEYWORD");
    keywordRow->Add(keywordCombo, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    wxButton* searchButton = new wxButton(searchPanel, ids.ID_BUTTON_SEARCH, _("&Search"), wxDefaultPosition,
                                          wxDefaultSize, 0, wxDefaultValidator, "ID_BUTTON_SEARCH");
    searchButton->SetDefault();
    keywordRow->Add(searchButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    keywordRow->Add(new wxButton(searchPanel, ids.ID_BUTTON_RESET, _("&Reset"), wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, "ID_BUTTON_RESET"),
                    0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    keywordRow->Add(new wxStaticLine(searchPanel, ids.ID_STATICLINE5, wxDefaultPosition, wxSize(1, 20), wxLI_VERTICAL,
                                     "ID_STATICLINE5"),
                    0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    plusButton = new wxButton(searchPanel, ids.ID_BUTTON_PLUS, "-", wxDefaultPosition, wxSize(23, 23), wxBU_EXACTFIT,
                              wxDefaultValidator, "ID_BUTTON_PLUS");
    keywordRow->Add(plusButton, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    panelSizer->Add(keywordRow, 0, wxEXPAND);

    panelSizer->Add(new wxStaticLine(searchPanel, ids.ID_STATICLINE1, wxDefaultPosition, wxSize(10, -1),
                                     wxLI_HORIZONTAL, "ID_STATICLINE1"),
                    0, wxLEFT | wxRIGHT | wxEXPAND, 5);

    wxBoxSizer* conditionRow = new wxBoxSizer(wxHORIZONTAL);
    auto label = [this, conditionRow](wxWindowID id, const wxString& text, const char* name)
    {
        conditionRow->Add(new wxStaticText(searchPanel, id, text, wxDefaultPosition, wxDefaultSize, 0, name), 0,
                          wxALL | wxALIGN_CENTER_VERTICAL, 3);
    };
    label(ids.ID_STATICTEXT3, _("Result"), "ID_STATICTEXT3");
    label(ids.ID_STATICTEXT5, _("( Condition:"), "ID_STATICTEXT5");
    selTagText = ConditionField(searchPanel, ids.ID_TEXTCTRL_SELTAG, "ID_TEXTCTRL_SELTAG");
    conditionRow->Add(selTagText, 2, wxALL | wxALIGN_CENTER_VERTICAL, 3);
    label(ids.ID_STATICTEXT6, "/", "ID_STATICTEXT6");
    firstAlphabetText = ConditionField(searchPanel, ids.ID_TEXTCTRL_FIRST_APLPHABET, "ID_TEXTCTRL_FIRST_APLPHABET");
    conditionRow->Add(firstAlphabetText, 1, wxALL | wxALIGN_CENTER_VERTICAL, 3);
    label(ids.ID_STATICTEXT8, "/", "ID_STATICTEXT8");
    keywordText = ConditionField(searchPanel, ids.ID_TEXTCTRLCONDITION_KEYWORD, "ID_TEXTCTRLCONDITION_KEYWORD");
    conditionRow->Add(keywordText, 2, wxALL | wxALIGN_CENTER_VERTICAL, 3);
    label(ids.ID_STATICTEXT7, ")", "ID_STATICTEXT7");
    conditionRow->Add(new wxStaticLine(searchPanel, ids.ID_STATICLINE6, wxDefaultPosition, wxSize(1, 20), wxLI_VERTICAL,
                                       "ID_STATICLINE6"),
                      0, wxALL | wxALIGN_CENTER_VERTICAL, 3);
    pageLabel = new wxStaticText(searchPanel, ids.ID_STATICTEXT9, "000 - 000 / 0000", wxDefaultPosition, wxDefaultSize,
                                 wxALIGN_RIGHT | wxST_NO_AUTORESIZE, "ID_STATICTEXT9");
    // Room for "1000 - 1050 / 10000" however narrow the row gets.
    pageLabel->SetMinSize(wxSize(pageLabel->GetTextExtent("0000 - 0000 / 00000").x, -1));
    conditionRow->Add(pageLabel, 2, wxALL | wxALIGN_CENTER_VERTICAL, 3);
    conditionRow->Add(new wxButton(searchPanel, ids.ID_BUTTON_PREVPAGE, "<", wxDefaultPosition, wxSize(23, 23),
                                   wxBU_EXACTFIT, wxDefaultValidator, "ID_BUTTON_PREVPAGE"),
                      0, wxALL | wxALIGN_CENTER_VERTICAL, 2);
    conditionRow->Add(new wxButton(searchPanel, ids.ID_BUTTON_NEXTPAGE, ">", wxDefaultPosition, wxSize(23, 23),
                                   wxBU_EXACTFIT, wxDefaultValidator, "ID_BUTTON_NEXTPAGE"),
                      0, wxALL | wxALIGN_CENTER_VERTICAL, 2);
    panelSizer->Add(conditionRow, 0, wxLEFT | wxRIGHT | wxEXPAND, 2);

    viewNotebook = new wxNotebook(searchPanel, ids.ID_NOTEBOOK_VIEW, wxDefaultPosition, wxDefaultSize, wxNB_BOTTOM,
                                  "ID_NOTEBOOK_VIEW");
    wxPanel* listPanel =
        new wxPanel(viewNotebook, ids.ID_PANEL11, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL11");
    wxBoxSizer* listSizer = new wxBoxSizer(wxVERTICAL);
    resultList = new wxListCtrl(listPanel, ids.ID_LISTCTRL_RESULT, wxDefaultPosition, wxDefaultSize,
                                wxLC_REPORT | wxLC_VRULES, wxDefaultValidator, "ID_LISTCTRL_RESULT");
    listSizer->Add(resultList, 1, wxEXPAND);
    listPanel->SetSizer(listSizer);
    viewNotebook->AddPage(listPanel, _("Contact list view"));

    wxPanel* cardPanel =
        new wxPanel(viewNotebook, ids.ID_PANEL10, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL10");
    wxBoxSizer* cardSizer = new wxBoxSizer(wxVERTICAL);
    cardView = new CardCanvas(cardPanel);
    cardSizer->Add(cardView, 1, wxEXPAND);
    cardPanel->SetSizer(cardSizer);
    viewNotebook->AddPage(cardPanel, _("Business card view"));
    panelSizer->Add(viewNotebook, 1, wxALL | wxEXPAND, 2);

    searchPanel->SetSizer(panelSizer);
    return searchPanel;
}

void CorvalaFrame::ConnectSearchEvents()
{
    tagList->Bind(wxEVT_LIST_ITEM_SELECTED, &CorvalaFrame::OnTagSelected, this);
    alphabetPanel->Bind(wxEVT_PAINT, &CorvalaFrame::OnAlphabetPaint, this);
    alphabetPanel->Bind(wxEVT_LEFT_UP, &CorvalaFrame::OnAlphabetLeftUp, this);
    alphabetPanel->Bind(wxEVT_ENTER_WINDOW,
                        [this](wxMouseEvent&)
                        {
                            alphabetPanel->SetCursor(wxCursor(wxCURSOR_HAND));
                            alphabetPanel->Refresh();
                        });
    alphabetPanel->Bind(wxEVT_LEAVE_WINDOW,
                        [this](wxMouseEvent&)
                        {
                            alphabetPanel->SetCursor(wxNullCursor);
                            alphabetPanel->Refresh();
                        });
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonSearchClick, this, ids.ID_BUTTON_SEARCH);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonResetClick, this, ids.ID_BUTTON_RESET);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonPlusClick, this, ids.ID_BUTTON_PLUS);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonPrevPageClick, this, ids.ID_BUTTON_PREVPAGE);
    Bind(wxEVT_BUTTON, &CorvalaFrame::OnButtonNextPageClick, this, ids.ID_BUTTON_NEXTPAGE);
}

void CorvalaFrame::RefreshTagList()
{
    tagList->DeleteAllItems();
    TagManager& tags = model->tagManager;
    tags.Load();
    // Each tag goes on top: the highest display order ends first.
    for (const TagInfo* tag : tags.GetTagsByDisplayOrder())
    {
        long row = tagList->InsertItem(0, tag->name, 0);
        tagList->SetItemData(row, tag->id);
    }
    long all = tagList->InsertItem(0, _("[ ALL ]"), -1);
    tagList->SetItemData(all, -1);
}

void CorvalaFrame::RunSearch()
{
    wxBusyCursor wait;
    model->contactManager.Search();
    if (cardView)
    {
        wxSize size = cardView->GetClientSize();
        cardView->RefreshRect(wxRect(0, 0, size.x, size.y), true);
    }
}

void CorvalaFrame::StartSearch()
{
    resultList->DeleteAllItems();
    model->contactManager.SetCondition(condition);
    RunSearch();
}

bool CorvalaFrame::KeepPageInRange()
{
    ContactManager& contacts = model->contactManager;
    const int pageSize = contacts.condition.pageSize;
    const int pages = pageSize > 0 ? (contacts.totalCount + pageSize - 1) / pageSize : 0;
    const int page = std::max(1, std::min(contacts.condition.pageIndex, std::max(1, pages)));
    condition.pageIndex = page;
    if (page == contacts.condition.pageIndex)
        return false;
    SearchCondition corrected = contacts.condition;
    corrected.pageIndex = page;
    contacts.SetCondition(corrected);
    RunSearch();
    return true;
}

wxString CorvalaFrame::FormatPageLabel(int page, int pageSize, int total)
{
    int first = total > 0 ? (page - 1) * pageSize + 1 : 0;
    int last = std::min(page * pageSize, total);
    return wxString::Format("%d - %d / %d", first, last, total);
}

void CorvalaFrame::WritePageLabel(int page)
{
    const ContactManager& contacts = model->contactManager;
    pageLabel->SetLabel(FormatPageLabel(page, contacts.condition.pageSize, contacts.totalCount));
}

void CorvalaFrame::UpdatePageLabel()
{
    WritePageLabel(1);
}

void CorvalaFrame::ShowConditionRow(bool show)
{
    plusButton->SetLabel(show ? "-" : "+");
    upperSizer->ShowItems(show);
    searchPanel->Layout();
}

void CorvalaFrame::OnTagSelected(wxListEvent& event)
{
    long row = event.GetIndex();
    selTagText->SetValue(tagList->GetItemText(row));
    condition.tagId = static_cast<int>(static_cast<long>(tagList->GetItemData(row)));
    condition.pageIndex = 1;
    if (condition.tagId == -1)
    {
        condition.alphabet.clear();
        condition.keyword.clear();
        alphabetPanel->Refresh();
        firstAlphabetText->SetValue("-");
        keywordText->Clear();
    }
    StartSearch();
    UpdatePageLabel();
    UpdateHistoryButtons();
}

void CorvalaFrame::OnAlphabetPaint(wxPaintEvent&)
{
    wxPaintDC dc(alphabetPanel);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawText("-", 6, 0);

    wxFont chosen(10, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, true);
    wxFont other(10, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false);
    for (int cell = 1; cell <= LETTER_COUNT; ++cell)
    {
        wxString letter(wxUniChar('A' + cell - 1));
        if (letter.IsSameAs(condition.alphabet, false))
        {
            dc.SetFont(chosen);
            dc.SetTextForeground(*wxBLACK);
        }
        else
        {
            dc.SetFont(other);
            dc.SetTextForeground(*wxBLUE);
        }
        dc.DrawText(letter, LETTER_CELL * cell + 6, 0);
    }
}

void CorvalaFrame::OnAlphabetLeftUp(wxMouseEvent& event)
{
    int x = event.GetX();
    if (x < LETTER_CELL)
    {
        firstAlphabetText->SetValue("-");
        condition.alphabet.clear();
    }
    else
    {
        int cell = (x - LETTER_CELL) / LETTER_CELL;
        if (cell > LETTER_COUNT - 1)
            return;
        wxString letter(wxUniChar('A' + cell));
        firstAlphabetText->SetValue(letter);
        condition.alphabet = letter;
    }
    condition.pageIndex = 1;
    alphabetPanel->Refresh();
    StartSearch();
    UpdatePageLabel();
}

void CorvalaFrame::OnButtonSearchClick(wxCommandEvent&)
{
    wxString keyword = keywordCombo->GetValue();
    keyword.Trim(true).Trim(false);
    condition.keyword = keyword;
    keywordText->SetValue(keyword);
    condition.pageIndex = 1;
    StartSearch();
    UpdatePageLabel();
}

void CorvalaFrame::OnButtonResetClick(wxCommandEvent&)
{
    condition.tagId = -1;
    condition.alphabet.clear();
    condition.keyword.clear();
    condition.pageIndex = 1;
    StartSearch();
    if (tagList->GetItemCount() > 0)
        tagList->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                              wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    alphabetPanel->Refresh();
    keywordCombo->SetValue(wxEmptyString);
    firstAlphabetText->SetValue("-");
    keywordText->Clear();
    UpdatePageLabel();
}

void CorvalaFrame::OnButtonPlusClick(wxCommandEvent&)
{
    conditionRowVisible = !conditionRowVisible;
    ShowConditionRow(conditionRowVisible);
}

void CorvalaFrame::OnButtonPrevPageClick(wxCommandEvent&)
{
    const ContactManager& contacts = model->contactManager;
    int pageSize = contacts.condition.pageSize;
    int pages = pageSize > 0 ? (contacts.totalCount + pageSize - 1) / pageSize : 0;
    if (condition.pageIndex <= 1)
        condition.pageIndex = std::max(1, pages);
    else
        condition.pageIndex -= 1;
    StartSearch();
    WritePageLabel(condition.pageIndex);
}

void CorvalaFrame::OnButtonNextPageClick(wxCommandEvent&)
{
    const ContactManager& contacts = model->contactManager;
    int pageSize = contacts.condition.pageSize;
    int pages = pageSize > 0 ? (contacts.totalCount + pageSize - 1) / pageSize : 0;
    condition.pageIndex += 1;
    if (condition.pageIndex > pages)
        condition.pageIndex = 1;
    StartSearch();
    WritePageLabel(condition.pageIndex);
}
