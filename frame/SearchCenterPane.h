// The search center: tag list, first-letter panel, keyword, the condition
// and paging row, and the book of the result's two views (the contact list
// and the business cards).
#pragma once

#include <wx/event.h>
#include <wx/panel.h>
#include <wx/timer.h>

#include <functional>
#include <vector>

#include <memory>

#include "storage/SearchCondition.h"

class CardCanvas;
class FoundCounter;
class ContactListPane;
class ContactManager;
class TagManager;
class wxBoxSizer;
class wxButton;
class wxComboBox;
class wxImageList;
class wxListCtrl;
class wxListEvent;
class wxNotebook;
class wxStaticText;
class wxTextCtrl;
struct FrameIds;

// A tag was chosen in the tag list and its search has run.
wxDECLARE_EVENT(EVT_SEARCH_TAG_CHOSEN, wxCommandEvent);

class SearchCenterPane : public wxPanel
{
public:
    SearchCenterPane(wxWindow* parent, const FrameIds& ids, TagManager& tags, ContactManager& contacts);
    ~SearchCenterPane() override;

    // The tag list's icons and colours, then its rows.
    void SetUp(wxImageList* images);
    void RefreshTagList();
    void RunSearch();
    // After the total changed: moves the page back into 1..number of pages;
    // true when it searched again.
    bool KeepPageInRange();
    // The paging label for that page of the current result.
    void ShowPage(int page);
    void ShowConditionRow(bool show);
    // The find box's text: the contacts with it in any of their texts, or,
    // when empty, the filter of the tag, letter and keyword again. Choosing
    // a filter empties the box.
    void Find(const wxString& text);
    void SetFindBox(wxTextCtrl* box)
    {
        findBox = box;
    }
    bool IsConditionRowVisible() const
    {
        return conditionRowVisible;
    }

    // The number of pages a result of total contacts fills, and the label
    // that names one of them: "first - last / total".
    static int PageCount(int total, int pageSize);
    static wxString FormatPageLabel(int page, int pageSize, int total);

    const SearchCondition& GetCondition() const
    {
        return condition;
    }
    wxNotebook* GetViewBook() const
    {
        return viewNotebook;
    }
    ContactListPane* GetContactList() const
    {
        return contactList;
    }
    CardCanvas* GetCardCanvas() const
    {
        return cardView;
    }

private:
    void StartSearch();
    // A filter was chosen: the find gives way to it.
    void EndFind();
    void OnTagSelected(wxListEvent& event);
    void OnAlphabetPaint(wxPaintEvent& event);
    void OnAlphabetLeftUp(wxMouseEvent& event);
    void OnButtonSearchClick(wxCommandEvent& event);
    void OnButtonResetClick(wxCommandEvent& event);
    void OnButtonPrevPageClick(wxCommandEvent& event);
    void OnButtonNextPageClick(wxCommandEvent& event);

    TagManager& tagManager;
    ContactManager& contactManager;
    SearchCondition condition;
    bool conditionRowVisible = true;

    wxBoxSizer* upperSizer = nullptr;
    wxListCtrl* tagList = nullptr;
    wxPanel* alphabetPanel = nullptr;
    wxComboBox* keywordCombo = nullptr;
    wxButton* plusButton = nullptr;
    wxTextCtrl* selTagText = nullptr;
    wxTextCtrl* firstAlphabetText = nullptr;
    wxTextCtrl* keywordText = nullptr;
    wxStaticText* pageLabel = nullptr;
    wxNotebook* viewNotebook = nullptr;
    ContactListPane* contactList = nullptr;
    // Stands in the business card page until the card view takes its place.
    CardCanvas* cardView = nullptr;
    wxTextCtrl* findBox = nullptr;
    // Counts the total of a find that showed its page first.
    std::unique_ptr<FoundCounter> counter;
    void OnFound(int ticket, int total, const std::vector<int>& page);
    wxTimer foundLater;
    std::function<void()> later;
    // Held while the pane lives, for what the contact manager keeps of it.
    std::shared_ptr<int> lifetime = std::make_shared<int>(0);
};
