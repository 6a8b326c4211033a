#include "frame/SearchCenterPane.h"

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

#include "frame/ContactListPane.h"
#include "frame/FlowSizer.h"
#include "frame/FoundCounter.h"
#include "frame/FrameIds.h"
#include "frame/LongLoad.h"
#include "storage/ContactManager.h"
#include "storage/Database.h"
#include "storage/StorageHooks.h"
#include "storage/TagManager.h"
#include "views/CardCanvas.h"

namespace
{
const int LETTER_CELL = 20;
const int LETTER_COUNT = 26;
const int CELL_COUNT = LETTER_COUNT + 1; // "-", then A to Z
// Narrowest cell that keeps a 10-point bold letter clear of its neighbours.
const int NARROW_LETTER_CELL = 14;
const int LETTER_ROW = 20;

// Where the cells of the first-letter panel lie at a panel width: one row of
// 20-pixel cells where there is room, narrower cells down to 14 pixels, then
// as many rows as it takes, so that no letter is ever out of reach.
class LetterGrid
{
public:
    explicit LetterGrid(int width)
    {
        if (width >= CELL_COUNT * LETTER_CELL)
            cellWidth = LETTER_CELL;
        else if (width >= CELL_COUNT * NARROW_LETTER_CELL)
            cellWidth = width / CELL_COUNT;
        else
        {
            cellWidth = NARROW_LETTER_CELL;
            perRow = std::max(1, width / NARROW_LETTER_CELL);
        }
    }

    int Rows() const
    {
        return (CELL_COUNT + perRow - 1) / perRow;
    }

    // Where a letter of that width is drawn: 6 pixels into a full cell,
    // centred in a narrower one.
    wxPoint TextPosition(int cell, int textWidth) const
    {
        const int inset = cellWidth == LETTER_CELL ? 6 : std::max(0, (cellWidth - textWidth) / 2);
        return wxPoint(cell % perRow * cellWidth + inset, cell / perRow * LETTER_ROW);
    }

    // The cell under a point, or -1 right of a row's last cell or past Z.
    int CellAt(int x, int y) const
    {
        const int column = x / cellWidth;
        if (x < 0 || column >= perRow)
            return -1;
        const int row = std::min(std::max(y, 0) / LETTER_ROW, Rows() - 1);
        const int cell = row * perRow + column;
        return cell < CELL_COUNT ? cell : -1;
    }

private:
    int cellWidth = LETTER_CELL;
    int perRow = CELL_COUNT;
};

// The first-letter panel: while the sizer lays it out, it asks for as many
// rows of letters as the width it is given needs.
class LetterPanel : public wxPanel
{
public:
    using wxPanel::wxPanel;

    bool InformFirstDirection(int direction, int size, int) override
    {
        if (direction != wxHORIZONTAL || size <= 0)
            return false;
        const wxSize border = GetWindowBorderSize();
        const int height = LetterGrid(size - border.x).Rows() * LETTER_ROW + border.y;
        if (GetMinSize().y == height)
            return false;
        SetMinSize(wxSize(GetMinSize().x, height));
        return true;
    }
};

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
    // The fields grow with the row; their least width is set by the row.
    wxTextCtrl* field = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxSize(40, -1), wxTE_READONLY,
                                       wxDefaultValidator, name);
    field->SetForegroundColour(ConditionTextColour());
    field->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    return field;
}
} // namespace

wxDEFINE_EVENT(EVT_SEARCH_TAG_CHOSEN, wxCommandEvent);

SearchCenterPane::SearchCenterPane(wxWindow* parent, const FrameIds& ids, TagManager& tags, ContactManager& contacts)
    : wxPanel(parent, ids.ID_PANEL1, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL1"), tagManager(tags),
      contactManager(contacts)
{
    counter = std::make_unique<FoundCounter>(*this, [this](int ticket, int total, const std::vector<int>& page)
                                             { OnFound(ticket, total, page); });
    // The book's model goes before its windows: the pane never reaches back
    // into it once it is gone, and it asks nothing of a pane that is gone.
    contactManager.countFound =
        [this, alive = std::weak_ptr<int>(lifetime)](int ticket, const wxString& counted, const wxString& sorted)
    {
        if (alive.lock())
            counter->Start(ticket, Database::Path(), counted, sorted);
    };
    foundLater.SetOwner(this, wxID_ANY);
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { later(); }, foundLater.GetId());
    wxBoxSizer* panelSizer = new wxBoxSizer(wxVERTICAL);

    upperSizer = new wxBoxSizer(wxVERTICAL);
    upperSizer->Add(new wxStaticText(this, ids.ID_STATICTEXT2, _("Select Tags:"), wxDefaultPosition, wxDefaultSize, 0,
                                     "ID_STATICTEXT2"),
                    0, wxLEFT | wxRIGHT | wxTOP, 5);
    tagList = new wxListCtrl(this, ids.ID_LISTCTRL_TAGS, wxDefaultPosition, wxSize(334, 80),
                             wxLC_LIST | wxLC_SINGLE_SEL | wxVSCROLL, wxDefaultValidator, "ID_LISTCTRL_TAGS");
    // Created at its designed width, it narrows with the page.
    tagList->SetMinSize(wxSize(tagList->FromDIP(160), 80));
    upperSizer->Add(tagList, 0, wxALL | wxEXPAND, 5);
    upperSizer->Add(new wxStaticText(this, ids.ID_STATICTEXT1, _("Select first alphabet of last name:"),
                                     wxDefaultPosition, wxDefaultSize, 0, "ID_STATICTEXT1"),
                    0, wxLEFT | wxRIGHT, 5);
    // The panel takes the row's width; its height follows the rows of
    // letters that width needs.
    alphabetPanel = new LetterPanel(this, ids.ID_PANEL_ALPHABET, wxDefaultPosition,
                                    wxSize(LETTER_CELL * CELL_COUNT + 4, LETTER_ROW + 2),
                                    wxSTATIC_BORDER | wxTAB_TRAVERSAL, "ID_PANEL_ALPHABET");
    alphabetPanel->SetMinSize(wxSize(NARROW_LETTER_CELL * 6, LETTER_ROW + 2));
    upperSizer->Add(alphabetPanel, 0, wxALL | wxEXPAND, 5);
    panelSizer->Add(upperSizer, 0, wxEXPAND);

    // A narrow window wraps the buttons below the keyword box (and the box
    // below its label) instead of squeezing the box down to its arrow.
    FlowSizer* keywordRow = new FlowSizer;
    keywordRow->Add(new wxStaticText(this, ids.ID_STATICTEXT4, _("First name &keyword:"), wxDefaultPosition,
                                     wxDefaultSize, 0, "ID_STATICTEXT4"),
                    0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    keywordCombo = new wxComboBox(this, ids.ID_COMBOBOX_KEYWORD, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                                  nullptr, 0, wxDefaultValidator, "ID_COMBOBOX_KEYWORD");
    // Room for a name beside the drop-down arrow, however narrow the row.
    keywordCombo->SetMinSize(wxSize(keywordCombo->GetTextExtent("MMMMM").x + keywordCombo->GetBestSize().y, -1));
    keywordRow->Add(keywordCombo, 1, wxTOP | wxBOTTOM | wxALIGN_CENTER_VERTICAL, 5);
    // The buttons stay together, and hug their labels so that the row
    // fits on one line at the window's first size.
    wxBoxSizer* keywordButtons = new wxBoxSizer(wxHORIZONTAL);
    auto keywordButton = [this, keywordButtons](wxWindowID id, const wxString& text, const char* name)
    {
        wxButton* button = MakeCompactButton(this, id, text, name);
        keywordButtons->Add(button, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, 5);
        return button;
    };
    keywordButton(ids.ID_BUTTON_SEARCH, _("&Search"), "ID_BUTTON_SEARCH")->SetDefault();
    keywordButton(ids.ID_BUTTON_RESET, _("&Reset"), "ID_BUTTON_RESET");
    keywordButtons->Add(
        new wxStaticLine(this, ids.ID_STATICLINE5, wxDefaultPosition, wxSize(1, 20), wxLI_VERTICAL, "ID_STATICLINE5"),
        0, wxLEFT | wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);
    plusButton = new wxButton(this, ids.ID_BUTTON_PLUS, "-", wxDefaultPosition, wxSize(23, 23), wxBU_EXACTFIT,
                              wxDefaultValidator, "ID_BUTTON_PLUS");
    keywordButtons->Add(plusButton, 0, wxRIGHT | wxALIGN_CENTER_VERTICAL, 5);
    keywordRow->Add(keywordButtons, 0, wxTOP | wxBOTTOM | wxALIGN_CENTER_VERTICAL, 5);
    panelSizer->Add(keywordRow, 0, wxEXPAND);

    panelSizer->Add(new wxStaticLine(this, ids.ID_STATICLINE1, wxDefaultPosition, wxSize(10, -1), wxLI_HORIZONTAL,
                                     "ID_STATICLINE1"),
                    0, wxLEFT | wxRIGHT | wxEXPAND, 5);

    // The condition and the paging wrap onto two lines when the row is too
    // narrow for both; each keeps its own controls together.
    FlowSizer* conditionRow = new FlowSizer;
    wxBoxSizer* conditionGroup = new wxBoxSizer(wxHORIZONTAL);
    auto label = [this, conditionGroup](wxWindowID id, const wxString& text, const char* name)
    {
        conditionGroup->Add(new wxStaticText(this, id, text, wxDefaultPosition, wxDefaultSize, 0, name), 0,
                            wxALL | wxALIGN_CENTER_VERTICAL, 2);
    };
    // Wide enough for a short tag name, a letter and a short keyword; wider
    // when the row has room.
    auto field = [this, conditionGroup](wxWindowID id, const char* name, const wxString& sample, int proportion)
    {
        wxTextCtrl* text = ConditionField(this, id, name);
        text->SetMinSize(wxSize(text->GetSizeFromTextSize(text->GetTextExtent(sample).x).x, -1));
        conditionGroup->Add(text, proportion, wxALL | wxALIGN_CENTER_VERTICAL, 2);
        return text;
    };
    label(ids.ID_STATICTEXT3, _("Result"), "ID_STATICTEXT3");
    label(ids.ID_STATICTEXT5, _("( Condition:"), "ID_STATICTEXT5");
    selTagText = field(ids.ID_TEXTCTRL_SELTAG, "ID_TEXTCTRL_SELTAG", "Work", 2);
    label(ids.ID_STATICTEXT6, "/", "ID_STATICTEXT6");
    firstAlphabetText = field(ids.ID_TEXTCTRL_FIRST_APLPHABET, "ID_TEXTCTRL_FIRST_APLPHABET", "W", 1);
    label(ids.ID_STATICTEXT8, "/", "ID_STATICTEXT8");
    keywordText = field(ids.ID_TEXTCTRLCONDITION_KEYWORD, "ID_TEXTCTRLCONDITION_KEYWORD", "Anna", 2);
    label(ids.ID_STATICTEXT7, ")", "ID_STATICTEXT7");
    conditionRow->Add(conditionGroup, 5, wxALIGN_CENTER_VERTICAL);

    wxBoxSizer* pagingGroup = new wxBoxSizer(wxHORIZONTAL);
    pagingGroup->Add(
        new wxStaticLine(this, ids.ID_STATICLINE6, wxDefaultPosition, wxSize(1, 20), wxLI_VERTICAL, "ID_STATICLINE6"),
        0, wxALL | wxALIGN_CENTER_VERTICAL, 3);
    pageLabel = new wxStaticText(this, ids.ID_STATICTEXT9, "000 - 000 / 0000", wxDefaultPosition, wxDefaultSize,
                                 wxALIGN_RIGHT | wxST_NO_AUTORESIZE, "ID_STATICTEXT9");
    // Room for "1000 - 1050 / 10000" however narrow the row gets.
    pageLabel->SetMinSize(wxSize(pageLabel->GetTextExtent("0000 - 0000 / 00000").x, -1));
    pagingGroup->Add(pageLabel, 1, wxALL | wxALIGN_CENTER_VERTICAL, 3);
    pagingGroup->Add(new wxButton(this, ids.ID_BUTTON_PREVPAGE, "<", wxDefaultPosition, wxSize(23, 23), wxBU_EXACTFIT,
                                  wxDefaultValidator, "ID_BUTTON_PREVPAGE"),
                     0, wxALL | wxALIGN_CENTER_VERTICAL, 2);
    pagingGroup->Add(new wxButton(this, ids.ID_BUTTON_NEXTPAGE, ">", wxDefaultPosition, wxSize(23, 23), wxBU_EXACTFIT,
                                  wxDefaultValidator, "ID_BUTTON_NEXTPAGE"),
                     0, wxALL | wxALIGN_CENTER_VERTICAL, 2);
    conditionRow->Add(pagingGroup, 2, wxALIGN_CENTER_VERTICAL);
    panelSizer->Add(conditionRow, 0, wxLEFT | wxRIGHT | wxEXPAND, 2);

    viewNotebook =
        new wxNotebook(this, ids.ID_NOTEBOOK_VIEW, wxDefaultPosition, wxDefaultSize, wxNB_BOTTOM, "ID_NOTEBOOK_VIEW");
    contactList = new ContactListPane(viewNotebook, ids, tags, contacts);
    viewNotebook->AddPage(contactList, _("Contact list view"));

    wxPanel* cardPanel =
        new wxPanel(viewNotebook, ids.ID_PANEL10, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL10");
    wxBoxSizer* cardSizer = new wxBoxSizer(wxVERTICAL);
    cardView = new CardCanvas(cardPanel);
    cardSizer->Add(cardView, 1, wxEXPAND);
    cardPanel->SetSizer(cardSizer);
    viewNotebook->AddPage(cardPanel, _("Business card view"));
    panelSizer->Add(viewNotebook, 1, wxALL | wxEXPAND, 2);

    SetSizer(panelSizer);

    tagList->Bind(wxEVT_LIST_ITEM_SELECTED, &SearchCenterPane::OnTagSelected, this);
    alphabetPanel->Bind(wxEVT_PAINT, &SearchCenterPane::OnAlphabetPaint, this);
    alphabetPanel->Bind(wxEVT_SIZE,
                        [this](wxSizeEvent& event)
                        {
                            // The letters move with the width.
                            alphabetPanel->Refresh();
                            event.Skip();
                        });
    alphabetPanel->Bind(wxEVT_LEFT_UP, &SearchCenterPane::OnAlphabetLeftUp, this);
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
    Bind(wxEVT_BUTTON, &SearchCenterPane::OnButtonSearchClick, this, ids.ID_BUTTON_SEARCH);
    Bind(wxEVT_BUTTON, &SearchCenterPane::OnButtonResetClick, this, ids.ID_BUTTON_RESET);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { ShowConditionRow(!conditionRowVisible); }, ids.ID_BUTTON_PLUS);
    Bind(wxEVT_BUTTON, &SearchCenterPane::OnButtonPrevPageClick, this, ids.ID_BUTTON_PREVPAGE);
    Bind(wxEVT_BUTTON, &SearchCenterPane::OnButtonNextPageClick, this, ids.ID_BUTTON_NEXTPAGE);
}

void SearchCenterPane::SetUp(wxImageList* images)
{
    tagList->SetImageList(images, wxIMAGE_LIST_SMALL);
    tagList->SetBackgroundColour(wxColour(236, 232, 230));
    RefreshTagList();
    alphabetPanel->SetBackgroundColour(wxColour(236, 232, 230));
}

void SearchCenterPane::RefreshTagList()
{
    tagList->DeleteAllItems();
    TagManager& tags = tagManager;
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

void SearchCenterPane::RunSearch()
{
    wxBusyCursor wait;
    {
        // On a large book one statement of a search (the count of a tag
        // with many contacts) can take a quarter of a second: the window
        // keeps painting meanwhile, and takes no command until it is done.
        LongLoad load(8);
        ScopedStatementProgress progress([&load] { load.Tick(); });
        contactManager.Search();
    }
    if (cardView)
    {
        wxSize size = cardView->GetClientSize();
        cardView->RefreshRect(wxRect(0, 0, size.x, size.y), true);
    }
}

void SearchCenterPane::StartSearch()
{
    contactList->Clear();
    contactManager.SetCondition(condition);
    RunSearch();
}

bool SearchCenterPane::KeepPageInRange()
{
    ContactManager& contacts = contactManager;
    const int pages = PageCount(contacts.totalCount, contacts.condition.pageSize);
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

int SearchCenterPane::PageCount(int total, int pageSize)
{
    return pageSize > 0 ? (total + pageSize - 1) / pageSize : 0;
}

wxString SearchCenterPane::FormatPageLabel(int page, int pageSize, int total)
{
    int first = total > 0 ? (page - 1) * pageSize + 1 : 0;
    int last = std::min(page * pageSize, total);
    return wxString::Format("%d - %d / %d", first, last, total);
}

void SearchCenterPane::OnFound(int ticket, int total, const std::vector<int>& page)
{
    // Not inside a search that lets the window paint, nor under a dialog
    // that may be showing a record of the page: a little later.
    wxWindow* top = wxGetTopLevelParent(this);
    if (LongLoad::Running() || (top && !top->IsEnabled()))
    {
        later = [this, ticket, total, page] { OnFound(ticket, total, page); };
        foundLater.StartOnce(100);
        return;
    }
    if (contactManager.FoundCounted(ticket, total, page))
        ShowPage(condition.pageIndex);
}

SearchCenterPane::~SearchCenterPane()
{
    lifetime.reset();
    counter.reset(); // waits for the counts it started
}

void SearchCenterPane::ShowPage(int page)
{
    wxString label = FormatPageLabel(page, contactManager.condition.pageSize, contactManager.totalCount);
    if (contactManager.findCountPending)
    {
        // The total still being counted (and the page, when it is not full,
        // still being filled).
        const int first = (page - 1) * contactManager.condition.pageSize;
        label =
            wxString::Format("%d - %d / ", first + 1, first + static_cast<int>(contactManager.contactList.GetCount())) +
            wxString::FromUTF8("\u2026");
    }
    if (contactManager.condition.find.empty())
        pageLabel->SetLabel(label);
    else
        pageLabel->SetLabel(wxString::Format(_("%s found"), label));
}

void SearchCenterPane::Find(const wxString& text)
{
    const wxString trimmed = wxString(text).Trim().Trim(false);
    if (trimmed == condition.find)
        return;
    condition.find = trimmed;
    condition.pageIndex = 1;
    StartSearch();
}

void SearchCenterPane::EndFind()
{
    condition.find.clear();
    if (findBox && !findBox->IsEmpty())
        findBox->ChangeValue(wxEmptyString);
}

void SearchCenterPane::ShowConditionRow(bool show)
{
    conditionRowVisible = show;
    plusButton->SetLabel(show ? "-" : "+");
    upperSizer->ShowItems(show);
    Layout();
}

void SearchCenterPane::OnTagSelected(wxListEvent& event)
{
    EndFind();
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
    ShowPage(1);
    wxCommandEvent chosen(EVT_SEARCH_TAG_CHOSEN, GetId());
    chosen.SetEventObject(this);
    ProcessWindowEvent(chosen);
}

void SearchCenterPane::OnAlphabetPaint(wxPaintEvent&)
{
    wxPaintDC dc(alphabetPanel);
    dc.SetPen(*wxTRANSPARENT_PEN);
    const LetterGrid grid(alphabetPanel->GetClientSize().x);
    dc.DrawText("-", grid.TextPosition(0, dc.GetTextExtent("-").x));

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
        dc.DrawText(letter, grid.TextPosition(cell, dc.GetTextExtent(letter).x));
    }
}

void SearchCenterPane::OnAlphabetLeftUp(wxMouseEvent& event)
{
    const int cell = LetterGrid(alphabetPanel->GetClientSize().x).CellAt(event.GetX(), event.GetY());
    if (cell < 0)
        return;
    if (cell == 0)
    {
        firstAlphabetText->SetValue("-");
        condition.alphabet.clear();
    }
    else
    {
        wxString letter(wxUniChar('A' + cell - 1));
        firstAlphabetText->SetValue(letter);
        condition.alphabet = letter;
    }
    EndFind();
    condition.pageIndex = 1;
    alphabetPanel->Refresh();
    StartSearch();
    ShowPage(1);
}

void SearchCenterPane::OnButtonSearchClick(wxCommandEvent&)
{
    wxString keyword = keywordCombo->GetValue();
    keyword.Trim(true).Trim(false);
    condition.keyword = keyword;
    keywordText->SetValue(keyword);
    EndFind();
    condition.pageIndex = 1;
    StartSearch();
    ShowPage(1);
}

void SearchCenterPane::OnButtonResetClick(wxCommandEvent&)
{
    EndFind();
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
    ShowPage(1);
}

void SearchCenterPane::OnButtonPrevPageClick(wxCommandEvent&)
{
    if (condition.pageIndex <= 1)
        contactManager.ExactTotal(); // to the last page, wherever it is
    const int pages = PageCount(contactManager.totalCount, contactManager.condition.pageSize);
    if (condition.pageIndex <= 1)
        condition.pageIndex = std::max(1, pages);
    else
        condition.pageIndex -= 1;
    StartSearch();
    ShowPage(condition.pageIndex);
}

void SearchCenterPane::OnButtonNextPageClick(wxCommandEvent&)
{
    const int pages = PageCount(contactManager.totalCount, contactManager.condition.pageSize);
    condition.pageIndex += 1;
    if (condition.pageIndex > pages)
        condition.pageIndex = 1;
    StartSearch();
    ShowPage(condition.pageIndex);
}
