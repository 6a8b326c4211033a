#include "storage/ContactManager.h"

#include <wx/wxsqlite3.h>

#include <map>
#include <memory>
#include <vector>

#include <wx/intl.h>

#include "storage/DbValues.h"
#include "storage/DismissedPairs.h"
#include "storage/EditMerge.h"
#include "storage/FindIndex.h"
#include "storage/KeptProperties.h"
#include "storage/StorageHooks.h"
#include "storage/UnitOfWork.h"

namespace
{
const char* const SQL_INSERT_CONTACT =
    "INSERT INTO contacts( last_name, last_name_alpha, first_name, first_name_alpha, sex, birthday, company, "
    "department, job_title, business_fax, business_fax_2, business_phone, business_phone_2, business_mobile, "
    "business_mobile_2, business_street, business_street_2, business_street_3, business_im, business_im_2, "
    "business_im_3, home_fax, home_fax_2, home_phone, home_phone_2, home_mobile, home_mobile_2, home_street, "
    "home_street_2, home_street_3, home_im, home_im_2, home_im_3, email, email_2, webpage, webpage_2, comment, "
    "latest_update_time, latest_update_user_id, entry_time, entry_user_id \t\t\t) VALUES(\t\t\t?, ?, ?, ?, ?, "
    "\t\t\t?, ?, ?, ?, ?, \t\t\t?, ?, ?, ?, ?, \t\t\t?, ?, ?, ?, ?, \t\t\t?, ?, ?, ?, ?, \t\t\t?, ?, ?, ?, ?, "
    "\t\t\t?, ?, ?, ?, ?, \t\t\t?, ?, ?, ?, ?, \t\t\t?, ? \t\t\t);";

const char* const SQL_UPDATE_CONTACT =
    "update contacts set last_name=?, last_name_alpha=?, first_name=?, first_name_alpha=?, sex=?, birthday=?, "
    "company=?, department=?, job_title=?, business_fax=?, business_fax_2=?, business_phone=?, "
    "business_phone_2=?, business_mobile=?, business_mobile_2=?, business_street=?, business_street_2=?, "
    "business_street_3=?, business_im=?, business_im_2=?, business_im_3=?, home_fax=?, home_fax_2=?, "
    "home_phone=?, home_phone_2=?, home_mobile=?, home_mobile_2=?, home_street=?, home_street_2=?, "
    "home_street_3=?, home_im=?, home_im_2=?, home_im_3=?, email=?, email_2=?, webpage=?, webpage_2=?, "
    "comment=?, latest_update_time=?, latest_update_user_id=?, entry_time=?, entry_user_id=? \t\t\twhere id = ?;";

const char* const SQL_TAG_IDS = "select contact_tag.tag_id from contacts, contact_tag \t\t\t\twhere contacts.id = %d "
                                "and contact_tag.contact_id = %d;";
// Added: the stored row, read again inside an update's or a delete's transaction.
const char* const SQL_STORED_CONTACT = " from contacts where id = %d;";
const char* const SQL_HISTORY_COUNT = "select count(contact_id) from contact_history where contact_id = %d;";
// Bound instead of formatted, so that a batch prepares it once.
const char* const SQL_LINK_TAG = "INSERT INTO contact_tag(contact_id, tag_id) VALUES(?, ?);";
const char* const SQL_UNLINK_TAGS = "delete from contact_tag where contact_id = %d";
const char* const SQL_DELETE_CONTACT = "delete from contacts where id = '%d';";
const char* const SQL_DELETE_LINKS = "delete from contact_tag where contact_id = '%d';";
const char* const SQL_DELETE_HISTORY = "delete from contact_history where contact_id = '%d';";

const char* const SQL_COUNT_TAG = "SELECT COUNT(tag_id) FROM contact_tag where tag_id = ";
const char* const SQL_COUNT_ALL = "SELECT COUNT(id) FROM contacts;";
const char* const SQL_ALL_TAG_LINKS = "select contact_id, tag_id from contact_tag;";
const char* const SQL_COUNT_MALE = "SELECT COUNT(id) FROM contacts where sex = 1;";
const char* const SQL_COUNT_FEMALE = "SELECT COUNT(id) FROM contacts where sex = 0;";
const char* const SQL_COUNT_AGE = "select count(id)  from contacts where birthday between '$before' and '$after';";
const char* const SQL_RECENT =
    "select contacts.last_name, contacts.first_name, \t\t\t\t\t\tcontact_history.comment, contact_history.his_time "
    "\t\t\t\t\t\tfrom contacts, contact_history \t\t\t\t\t\twhere contacts.id = contact_history.contact_id "
    "\t\t\t\t\t\tand  his_time between '$before' and '$after' \t\t\t\t\t\torder by his_time asc;";

wxString BuildSelectHead()
{
    wxString head = "select ";
    for (size_t i = 0; i < 43; ++i)
    {
        if (i > 0)
            head += ", ";
        head += "\t\t\t\t\t\t\t";
        head += ContactAdapter::COLUMNS[i];
    }
    head += wxString(' ', 30);
    return head;
}

// Fills $before and $after, once each, $before first.
wxString FillBounds(const wxString& sql, const wxDateTime& before, const wxDateTime& after)
{
    wxString filled(sql);
    filled.Replace("$before", FormatDbTime(before), false);
    filled.Replace("$after", FormatDbTime(after), false);
    return filled;
}

// First column of the first row; keeps the old value when there is no row.
void ReadCount(Adapter& adapter, const wxString& sql, int& value)
{
    adapter.Query(sql, [&value](wxSQLite3ResultSet& row) { value = ReadInt(row, 0); });
}
} // namespace

ContactManager::ContactManager() : currentContact(nullptr), totalCount(0) {}

ContactManager::~ContactManager()
{
    Clear();
    observers.Clear();
}

// ---------------------------------------------------------------- search

void ContactManager::SetCondition(const SearchCondition& source)
{
    if (source.tagId == condition.tagId)
        condition.changed = false;
    else
    {
        condition.tagId = source.tagId;
        condition.changed = true;
    }
    if (condition.alphabet.CmpNoCase(source.alphabet) != 0)
    {
        condition.alphabet = source.alphabet;
        condition.changed = true;
    }
    if (condition.keyword.CmpNoCase(source.keyword) != 0)
    {
        condition.keyword = source.keyword;
        condition.changed = true;
    }
    if (condition.find != source.find)
    {
        condition.find = source.find;
        condition.changed = true;
    }
    if (condition.pageIndex != source.pageIndex)
    {
        condition.pageIndex = source.pageIndex;
        condition.changed = true;
    }
}

wxString ContactManager::BuildFilter() const
{
    return BuildFilter(condition);
}

wxString ContactManager::BuildFilter(const SearchCondition& condition)
{
    if (!condition.find.empty())
        return FindFilter(condition);
    const bool hasAlphabet = !condition.alphabet.empty();
    const bool hasKeyword = !condition.keyword.empty();
    const wxString alphabetLike = " last_name_alpha like '" + EscapeSqlText(condition.alphabet) + "%'";
    // Changed from the original: the keyword is matched as typed, "%" and "_" included.
    const wxString keywordLike =
        " first_name like '%" + EscapeSqlText(EscapeLikePattern(condition.keyword)) + "%' escape '\\'";

    if (condition.tagId != -1)
    {
        wxString filter = wxString::Format(", contact_tag.tag_id as tag_id from contacts, contact_tag \t\t\t\t\twhere "
                                           "contact_tag.contact_id=id and contact_tag.tag_id=%d",
                                           condition.tagId);
        if (hasAlphabet)
            filter += " and" + alphabetLike;
        if (hasKeyword)
            filter += " and" + keywordLike;
        return filter;
    }
    wxString filter = " from contacts ";
    if (hasAlphabet)
    {
        filter += " where" + alphabetLike;
        if (hasKeyword)
            filter += " and" + keywordLike;
    }
    else if (hasKeyword)
        filter += " where" + keywordLike;
    return filter;
}

wxString ContactManager::BuildCountStatement() const
{
    if (!condition.find.empty())
    {
        Adapter adapter;
        const wxString rows = FindIndex::BuildRows(adapter, condition.find);
        if (!rows.empty())
            return "select count(*) from (" + rows + ");";
    }
    return "select count(id) " + BuildFilter() + ";";
}

wxString ContactManager::BuildPageStatement() const
{
    return BuildPageStatement(condition);
}

wxString ContactManager::BuildPageStatement(const SearchCondition& condition)
{
    return PageStatement(BuildFilter(condition), condition);
}

const wxString& ContactManager::SelectHead()
{
    static const wxString head = BuildSelectHead();
    return head;
}

wxString ContactManager::PageStatement(const wxString& filter, const SearchCondition& condition)
{
    static const wxString head = BuildSelectHead();
    return head + filter + " order by last_name_alpha DESC " +
           wxString::Format(" limit %d, %d;", (condition.pageIndex - 1) * condition.pageSize, condition.pageSize);
}

void ContactManager::Search()
{
    UnitOfWork unit;
    if (condition.changed)
    {
        condition.changed = false;
        foundCounted.clear();
        foundSorted.clear();
        findCountPending = false;
        wxString pageSql;
        if (!condition.find.empty())
            pageSql = FindPage();
        else
        {
            ReadCount(adapter, BuildCountStatement(), totalCount);
            pageSql = BuildPageStatement();
        }

        ReadPage(pageSql);
    }
    NotifyObservers();
}

void ContactManager::ReadPage(const wxString& pageSql)
{
    // The page rows are read in full before the per-record look-ups, so
    // the statements run one after the other, in the order of the page.
    // The records shown so far stay until every statement has run: the
    // window may paint them while a long statement runs.
    ContactInfoArray page;
    adapter.Query(pageSql, [&page](wxSQLite3ResultSet& row) { page.Add(ContactAdapter::ReadContact(row)); });
    for (ContactInfoEx* contact : page)
    {
        adapter.Query(wxString::Format(SQL_TAG_IDS, contact->id, contact->id),
                      [contact](wxSQLite3ResultSet& row) { contact->tagIds.Add(ReadInt(row, 0)); });
        adapter.Query(wxString::Format(SQL_HISTORY_COUNT, contact->id),
                      [contact](wxSQLite3ResultSet& row) { contact->historyCount = ReadInt(row, 0); });
        contact->KeepAsRead();
    }
    if (!foundCounted.empty())
        CountAfterPage(static_cast<int>(page.GetCount()));
    Clear();
    for (ContactInfoEx* contact : page)
        contactList.Add(contact);
    if (!contactList.IsEmpty())
        currentContact = contactList[0];
}

void ContactManager::Clear()
{
    // The birthday list and the current contact point into what goes now.
    birthdayList.Clear();
    currentContact = nullptr;
    while (!contactList.IsEmpty())
    {
        const size_t last = contactList.GetCount() - 1;
        delete contactList[last];
        contactList.RemoveAt(last);
    }
    while (!removedList.IsEmpty())
    {
        const size_t last = removedList.GetCount() - 1;
        delete removedList[last];
        removedList.RemoveAt(last);
    }
}

void ContactManager::ForceSearch()
{
    ++writes; // only the writes search again by force
    condition.changed = true;
    Search();
}

// ----------------------------------------------------------- persistence

void ContactManager::AddObserver(ContactObserver* observer)
{
    observers.Add(observer);
}

void ContactManager::NotifyObservers()
{
    for (ContactObserver* observer : observers)
        observer->OnContactChanged();
}

void ContactManager::InsertTagLinks(ContactInfoEx* contact)
{
    for (int tagId : contact->tagIds)
    {
        static const wxString link(SQL_LINK_TAG);
        adapter.ExecuteIds(link, contact->id, tagId);
        if (adapter.BatchFailed())
            return;
    }
}

void ContactManager::ReplaceTagLinks(ContactInfoEx* contact)
{
    adapter.Execute(wxString::Format(SQL_UNLINK_TAGS, contact->id));
    InsertTagLinks(contact);
}

int ContactManager::InsertRecord(ContactInfoEx* contact)
{
    // Converted once: a batch runs it for every record.
    static const wxString insert(SQL_INSERT_CONTACT);
    const int inserted = adapter.InsertContact(insert, contact);
    if (inserted <= 0)
    {
        // The largest id would belong to another contact: link nothing.
        contact->id = -1;
        return inserted;
    }
    // The id SQLite gave the row (the largest one, as the id column counts up).
    contact->id = static_cast<int>(adapter.LastInsertId());
    InsertTagLinks(contact);
    KeptProperties::Insert(adapter, *contact);
    if (findIndexed < 0 || !adapter.InBatch())
        findIndexed = FindIndex::Exists(adapter) ? 1 : 0;
    if (findIndexed)
        FindIndex::Store(adapter, *contact, true);
    return inserted;
}

void ContactManager::Insert(ContactInfoEx* contact)
{
    UnitOfWork unit;
    InsertRecord(contact);
    ForceSearch();
    NotifyObservers();
}

const char* ContactManager::InsertStatement()
{
    return SQL_INSERT_CONTACT;
}

const char* ContactManager::UpdateStatement()
{
    return SQL_UPDATE_CONTACT;
}

wxString ContactManager::ColumnLabel(int column)
{
    return wxGetTranslation(ContactAdapter::COLUMNS[column]);
}

std::unique_ptr<ContactInfoEx> ContactManager::ReadStored(int id)
{
    static const wxString head = BuildSelectHead();
    std::unique_ptr<ContactInfoEx> stored;
    adapter.Query(head + wxString::Format(SQL_STORED_CONTACT, id),
                  [&stored](wxSQLite3ResultSet& row) { stored.reset(ContactAdapter::ReadContact(row)); });
    if (!stored || adapter.LastFailed())
        return nullptr;
    adapter.Query(wxString::Format(SQL_TAG_IDS, id, id),
                  [&stored](wxSQLite3ResultSet& row) { stored->tagIds.Add(ReadInt(row, 0)); });
    if (adapter.LastFailed())
        return nullptr;
    stored->KeepAsRead();
    return stored;
}

int ContactManager::UpdateRecord(ContactInfoEx* contact)
{
    currentContact = contact;
    // Read in the update's transaction: what another program stored since
    // this record was read is kept, field by field.
    std::unique_ptr<ContactInfoEx> stored = ReadStored(contact->id);
    if (!stored)
    {
        // No error and no row: another program removed it. Linking tags now
        // would tie them to an id that no contact has.
        if (!adapter.LastFailed())
            Refuse(wxString::Format(
                _("The contact \"%s\" is no longer in the database; another program may have deleted it."),
                contact->GetDisplayName()));
        return 0;
    }
    const EditMerge merge(*contact, *stored);
    if (!merge.Conflicts().empty())
    {
        Refuse(ConflictReason(*contact, merge.Conflicts()));
        storedAgain.emplace_back(contact, *stored);
        return 0;
    }
    ContactInfoEx result = merge.Result();
    result.latest_update_time = NowToSecond();
    const int updated = adapter.UpdateContact(SQL_UPDATE_CONTACT, &result);
    if (updated > 0 && merge.TagsChanged())
        ReplaceTagLinks(&result);
    const bool written = updated > 0 && !adapter.LastFailed() && !adapter.BatchFailed();
    if (written)
        FindIndex::Reindex(adapter, contact->id);
    if (written && !adapter.BatchFailed())
        ShowWritten(contact, result, *stored);
    return updated;
}

bool ContactManager::UpdateContacts(ContactArray& contacts, ContactInfoEx* templ)
{
    if (!templ)
        return true;
    std::unique_ptr<ContactInfoEx> owned(templ);
    UnitOfWork unit;
    lastBatchError.clear();
    storedAgain.clear();
    // What the records held before the merge, to put back if nothing is stored.
    std::vector<ContactInfoEx> before;
    before.reserve(contacts.GetCount());
    for (void* item : contacts)
        before.push_back(*static_cast<ContactInfoEx*>(item));
    ContactInfoEx* const previousCurrent = currentContact;

    bool stored = contacts.IsEmpty() || adapter.BeginBatch();
    for (size_t i = 0; stored && i < contacts.GetCount(); ++i)
    {
        ContactInfoEx* contact = static_cast<ContactInfoEx*>(contacts[i]);
        PumpOneMessage();
        MergeFields(contact, templ);
        stored = UpdateRecord(contact) > 0 && !adapter.BatchFailed();
    }
    if (stored && adapter.InBatch())
        stored = adapter.CommitBatch();
    if (!stored)
    {
        adapter.RollbackBatch();
        for (size_t i = 0; i < contacts.GetCount(); ++i)
            *static_cast<ContactInfoEx*>(contacts[i]) = before[i];
        ShowStoredAgain();
        currentContact = previousCurrent;
        const int n = static_cast<int>(contacts.GetCount());
        return FailBatch(wxString::Format(
            wxPLURAL("The change to %d contact was not stored.", "The changes to %d contacts were not stored.", n), n));
    }
    // The undo puts back what each record held, compared with what it wrote.
    std::vector<ContactInfoEx> undone;
    for (size_t i = 0; i < contacts.GetCount(); ++i)
    {
        ContactInfoEx written = *static_cast<ContactInfoEx*>(contacts[i]);
        written.readAs.reset();
        undone.push_back(before[i]);
        undone.back().readAs = std::make_shared<const ContactInfoEx>(written);
    }
    RememberUndo(UNDO_EDIT, {}, std::move(undone));
    ++writes;
    NotifyObservers();
    return true;
}

bool ContactManager::DeleteRows(const ContactInfoEx* contact)
{
    // First into the deleted contacts; nothing is deleted that is not kept.
    if (!Trash::Keep(adapter, contact->id, NowToSecond()))
        return false;
    // Outside a batch each statement runs even when one before it failed.
    bool failed = false;
    for (const char* sql : {SQL_DELETE_CONTACT, SQL_DELETE_LINKS, SQL_DELETE_HISTORY})
    {
        adapter.Execute(wxString::Format(sql, contact->id));
        failed = failed || adapter.LastFailed();
    }
    failed = !KeptProperties::Delete(adapter, contact->id) || failed;
    failed = !DismissedPairs::Delete(adapter, contact->id) || failed;
    if (FindIndex::Exists(adapter))
        failed = !FindIndex::Remove(adapter, contact->id) || failed;
    return !failed;
}

void ContactManager::TakeOutOfPage(const ContactInfoEx* contact)
{
    for (size_t i = 0; i < contactList.GetCount(); ++i)
    {
        if (contactList[i]->id == contact->id)
        {
            removedList.Add(contactList[i]);
            contactList.RemoveAt(i);
            break;
        }
    }
}

void ContactManager::DeleteRecord(ContactInfoEx* contact)
{
    DeleteRows(contact);
    TakeOutOfPage(contact);
}

void ContactManager::Delete(ContactInfoEx* contact)
{
    UnitOfWork unit;
    storedAgain.clear();
    if (ChangedElsewhere(contact))
    {
        ShowStoredAgain();
        NotifyObservers();
        return;
    }
    const int id = contact->id;
    if (DeleteRows(contact))
        RememberUndo(UNDO_DELETE, {id});
    TakeOutOfPage(contact);
    ForceSearch();
    NotifyObservers();
}

bool ContactManager::DeleteContacts(ContactArray& contacts)
{
    UnitOfWork unit;
    lastBatchError.clear();
    storedAgain.clear();
    bool stored = contacts.IsEmpty() || adapter.BeginBatch();
    for (size_t i = 0; stored && i < contacts.GetCount(); ++i)
    {
        PumpOneMessage();
        ContactInfoEx* contact = static_cast<ContactInfoEx*>(contacts[i]);
        stored = !ChangedElsewhere(contact) && DeleteRows(contact) && !adapter.BatchFailed();
    }
    if (stored && adapter.InBatch())
        stored = adapter.CommitBatch();
    if (!stored)
    {
        adapter.RollbackBatch();
        ShowStoredAgain();
        const int n = static_cast<int>(contacts.GetCount());
        return FailBatch(
            wxString::Format(wxPLURAL("%d contact was not deleted.", "%d contacts were not deleted.", n), n));
    }
    // Only now that the rows are gone for good do the records leave the page.
    std::vector<int> ids;
    for (void* item : contacts)
    {
        ids.push_back(static_cast<ContactInfoEx*>(item)->id);
        TakeOutOfPage(static_cast<ContactInfoEx*>(item));
    }
    RememberUndo(UNDO_DELETE, ids);
    ForceSearch();
    NotifyObservers();
    return true;
}

bool ContactManager::FailBatch(const wxString& what)
{
    // A reason of our own (a row that is gone) comes before the database's.
    if (lastBatchError.empty())
        lastBatchError = adapter.BatchError();
    ReportError(what + "\n" + _("The address book was left as it was.") + "\n\n" + lastBatchError);
    NotifyObservers();
    return false;
}

// ------------------------------------------------------------ statistics

int ContactManager::CountTagContacts(int tagId)
{
    UnitOfWork unit;
    int count = 0;
    ReadCount(adapter, SQL_COUNT_TAG + wxString::Format("%d;", tagId), count);
    return count;
}

ContactStatistics& ContactManager::GetStatistics()
{
    UnitOfWork unit;
    ReadCount(adapter, SQL_COUNT_ALL, statistics.total);
    ReadCount(adapter, SQL_COUNT_MALE, statistics.male);
    ReadCount(adapter, SQL_COUNT_FEMALE, statistics.female);
    const wxDateTime now = NowToSecond();
    // A date span keeps month, day and time; 29 February becomes 28 February.
    const wxDateTime before = now - wxDateSpan::Years(30);
    ReadCount(adapter, FillBounds(SQL_COUNT_AGE, before, now), statistics.age30Minus);
    statistics.age30Plus = statistics.total - statistics.age30Minus;
    return statistics;
}

void ContactManager::GetRecentContacts(int days, RecentContactArray& list)
{
    ForEachRecentContact(days, [&list](const RecentContact& recent) { list.Add(new RecentContact(recent)); });
}

int ContactManager::ForEachRecentContact(int days, const std::function<void(const RecentContact&)>& onRow)
{
    UnitOfWork unit;
    const wxDateTime now = NowToSecond();
    // Calendar days keep the time of day across a daylight-saving change.
    const wxDateTime before = now - wxDateSpan::Days(days);
    RecentContact recent;
    return adapter.Query(FillBounds(SQL_RECENT, before, now),
                         [&](wxSQLite3ResultSet& row)
                         {
                             recent.name = ReadText(row, 0) + " " + ReadText(row, 1);
                             recent.comment = ReadText(row, 2);
                             recent.his_time = ReadDateTime(row, 3);
                             onRow(recent);
                         });
}

int ContactManager::ForEachMatching(const SearchCondition& filter, bool withTags,
                                    const std::function<void(ContactInfoEx&)>& onContact)
{
    UnitOfWork unit;
    // The tag links of every contact in one query instead of one per contact.
    std::map<int, wxArrayInt> links;
    if (withTags && adapter.Query(SQL_ALL_TAG_LINKS, [&links](wxSQLite3ResultSet& row)
                                  { links[ReadInt(row, 0)].Add(ReadInt(row, 1)); }) < 0)
        return -1;
    std::map<int, wxArrayString> kept;
    if (withTags && !KeptProperties::ReadAll(adapter, kept))
        return -1;
    // The very statement the search runs, with every page at once: SQLite
    // takes a negative limit as no limit.
    SearchCondition all = filter;
    all.pageIndex = 1;
    all.pageSize = -1;
    int read = 0;
    const int rows = adapter.Query(BuildPageStatement(all),
                                   [&](wxSQLite3ResultSet& row)
                                   {
                                       std::unique_ptr<ContactInfoEx> contact(ContactAdapter::ReadContact(row));
                                       auto found = links.find(contact->id);
                                       if (found != links.end())
                                           contact->tagIds = found->second;
                                       auto lines = kept.find(contact->id);
                                       if (lines != kept.end())
                                           contact->keptProperties = lines->second;
                                       contact->KeepAsRead();
                                       ++read;
                                       onContact(*contact);
                                   });
    return rows < 0 ? -1 : read;
}

int ContactManager::CountAll()
{
    UnitOfWork unit;
    int count = -1;
    const int rows = adapter.Query(SQL_COUNT_ALL, [&count](wxSQLite3ResultSet& row) { count = ReadInt(row, 0); });
    return rows < 0 ? -1 : count;
}

ContactInfoArray& ContactManager::GetBirthdayContacts(int month)
{
    birthdayList.Clear();
    for (ContactInfoEx* contact : contactList)
    {
        // A contact without a valid birthday has no birthday month.
        if (contact->birthday.IsValid() && static_cast<int>(contact->birthday.GetMonth()) == month)
            birthdayList.Add(contact);
    }
    return birthdayList;
}
