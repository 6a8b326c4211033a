#include "exchange/VCardImport.h"

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include <memory>
#include <new>
#include <set>

#include "exchange/VCardMapping.h"
#include "exchange/VCardReader.h"
#include "storage/ContactManager.h"
#include "storage/ContactSource.h"
#include "storage/DbValues.h"
#include "storage/SearchCondition.h"
#include "storage/StorageHooks.h"
#include "storage/TagManager.h"

namespace
{
// Sentences and list items joined as the language joins them: Chinese and
// Japanese have no blank after a full stop and a comma of their own.
wxString JoinSentences(const wxString& first, const wxString& second)
{
    // TRANSLATORS: two sentences of a message, one after the other.
    return wxString::Format(wxGETTEXT_IN_CONTEXT("joining sentences", "%s %s"), first, second);
}

wxString ListSeparator()
{
    // TRANSLATORS: what comes between the items of a list in a sentence.
    return wxGETTEXT_IN_CONTEXT("joining list items", ", ");
}

// Phone numbers compare by their digits; short ones (extensions, "112")
// would match too much.
wxString PhoneKey(const wxString& number)
{
    wxString digits;
    for (wxUniChar c : number)
    {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    return digits.length() >= 6 ? digits : wxString();
}

wxString NameKey(const wxString& last, const wxString& first)
{
    wxString l = last, f = first;
    l.Trim(true).Trim(false);
    f.Trim(true).Trim(false);
    return l.empty() && f.empty() ? wxString() : (l + "\t" + f).Lower();
}

wxString MailKey(const wxString& mail)
{
    wxString m = mail;
    return m.Trim(true).Trim(false).Lower();
}

// What identifies the contacts already stored. Business phones and faxes
// are left out: colleagues share them, and matching on them would skip a
// whole company's cards.
class ExistingContacts
{
public:
    // False when the contacts cannot be read.
    bool Load(ContactManager& contacts)
    {
        return contacts.ForEachMatching(SearchCondition(), true,
                                        [this](ContactInfoEx& c)
                                        {
                                            Insert(uids, Uid(c));
                                            // What our own exports wrote.
                                            Insert(uids, VCardMapping::StableUid(c));
                                            Insert(names, NameKey(c.last_name, c.first_name));
                                            for (const wxString* mail : {&c.email, &c.email_2})
                                                Insert(mails, MailKey(*mail));
                                            for (const wxString* phone :
                                                 {&c.home_phone, &c.home_phone_2, &c.business_mobile,
                                                  &c.business_mobile_2, &c.home_mobile, &c.home_mobile_2})
                                                Insert(phones, PhoneKey(*phone));
                                        }) >= 0;
    }

    bool Empty() const
    {
        return names.empty() && mails.empty() && phones.empty() && uids.empty();
    }

    bool Matches(const ContactInfoEx& c) const
    {
        if (Has(uids, Uid(c)) || Has(names, NameKey(c.last_name, c.first_name)) || Has(mails, MailKey(c.email)) ||
            Has(mails, MailKey(c.email_2)))
            return true;
        for (const wxString* phone : {&c.home_phone, &c.home_phone_2, &c.business_mobile, &c.business_mobile_2,
                                      &c.home_mobile, &c.home_mobile_2})
        {
            if (Has(phones, PhoneKey(*phone)))
                return true;
        }
        return false;
    }

private:
    static void Insert(std::set<wxString>& keys, const wxString& key)
    {
        if (!key.empty())
            keys.insert(key);
    }
    static bool Has(const std::set<wxString>& keys, const wxString& key)
    {
        return !key.empty() && keys.count(key) > 0;
    }

    // The UID a card kept, or empty.
    static wxString Uid(const ContactInfoEx& c)
    {
        for (const wxString& line : c.keptProperties)
        {
            if (line.Upper().StartsWith("UID:") || line.Upper().StartsWith("UID;"))
                return line.AfterFirst(':');
        }
        return wxString();
    }

    std::set<wxString> names, mails, phones, uids;
};

// The cards of the file, handed to the batch one at a time as they are
// read, so that memory does not grow with the file. The tags a card's
// categories name are created in the batch's transaction: a batch that
// fails, or an import that is killed, leaves none behind.
class CardSource : public ContactSource
{
public:
    CardSource(VCardReader& reader, VCardImport::Result& result, const ExistingContacts* existing, TagManager& tags,
               const std::function<void(size_t)>& onCard)
        : reader(reader), result(result), existing(existing), tags(tags), onCard(onCard)
    {
    }

    ContactInfoEx* Next() override
    {
        try
        {
            while (reader.Next(card))
            {
                if (onCard)
                    onCard(++read);
                switch (card.result)
                {
                case VCardReader::CARD_MALFORMED:
                    ++result.malformed;
                    break;
                case VCardReader::CARD_NO_NAME:
                    ++result.noName;
                    break;
                case VCardReader::CARD_TOO_LARGE:
                    ++result.tooLarge;
                    break;
                case VCardReader::CARD_OK:
                    if (existing && existing->Matches(*card.contact))
                        ++result.duplicates;
                    else
                    {
                        ++result.imported;
                        result.kept += card.contact->keptProperties.size();
                        return card.contact.get();
                    }
                    break;
                }
            }
            failed = reader.ReadFailed();
        }
        catch (const std::bad_alloc&)
        {
            card = VCardReader::Card();
            outOfMemory = failed = true;
        }
        return nullptr;
    }

    bool Failed() const override
    {
        return failed;
    }

    bool Prepare(ContactInfoEx& contact) override
    {
        for (const wxString& name : card.categories)
        {
            bool created = false;
            const int id = tags.IdForName(name, &created);
            if (id == -1)
            {
                tagFailed = true;
                return false;
            }
            createdTags = createdTags || created;
            if (contact.tagIds.Index(id) == wxNOT_FOUND)
                contact.tagIds.Add(id);
        }
        return true;
    }

    bool outOfMemory = false;
    bool tagFailed = false;
    bool createdTags = false;

private:
    VCardReader& reader;
    VCardImport::Result& result;
    const ExistingContacts* existing;
    TagManager& tags;
    const std::function<void(size_t)>& onCard;
    VCardReader::Card card; // the record handed over lives here until the next
    size_t read = 0;
    bool failed = false;
};

} // namespace

VCardImport::VCardImport(TagManager& tags, ContactManager& contacts) : tags(tags), contacts(contacts) {}

VCardImport::Result VCardImport::Run(const wxString& path, Duplicates duplicates)
{
    Result result;
    VCardReader reader;
    if (!reader.Open(path))
    {
        result.error = _("the file cannot be opened");
        return result;
    }
    result.opened = true;

    // The one message a failure gives goes to the caller's status, not into
    // a box of its own.
    wxString report;
    ScopedErrorReporter capture(
        [&report](const wxString& message)
        {
            if (report.empty())
                report = message;
        });

    ExistingContacts existing;
    if (duplicates == Duplicates::SKIP && !existing.Load(contacts))
    {
        result.error = report.empty() ? _("the existing contacts cannot be read") : report;
        return result;
    }
    const bool compare = duplicates == Duplicates::SKIP && !existing.Empty();

    // Without the stored tags every category would look new and get a twin.
    if (!tags.Load())
    {
        result.error = report.empty() ? _("the tags cannot be read") : report;
        return result;
    }
    CardSource source(reader, result, compare ? &existing : nullptr, tags, onCard);
    bool ok = false;
    try
    {
        ok = contacts.InsertContacts(source);
    }
    catch (const std::bad_alloc&)
    {
        // Nothing of the batch may stay: the transaction goes, and with it
        // whatever was stored so far.
        if (contacts.adapter.InBatch())
            contacts.adapter.RollbackBatch();
        source.outOfMemory = true;
    }
    result.cards = reader.CardsSeen();
    if (!ok)
    {
        result.imported = result.kept = 0;
        // The tags created in the batch went with it.
        if (source.createdTags)
            tags.Changed();
        if (source.outOfMemory)
            result.error = _("there is not enough memory to read the file");
        else if (reader.ReadFailed())
            result.error = _("reading the file failed");
        else if (source.tagFailed)
            result.error = _("a tag could not be created");
        // The database's reason alone reads best after the file's name.
        else if (!contacts.GetLastBatchError().empty())
            result.error = contacts.GetLastBatchError();
        else if (!report.empty())
            result.error = report;
        else
            result.error = _("the contacts could not be stored");
        return result;
    }
    result.stored = true;
    return result;
}

wxString VCardImport::Describe(const Result& r, const wxString& fileName)
{
    if (!r.stored)
        return wxString::Format(_("Nothing was imported from %s: %s."), fileName, r.error);
    if (r.cards == 0)
        return wxString::Format(_("%s holds no vCards."), fileName);

    wxString text =
        wxString::Format(wxPLURAL("Imported %lu contact from %s.", "Imported %lu contacts from %s.", r.imported),
                         static_cast<unsigned long>(r.imported), fileName);
    if (r.kept)
        text = JoinSentences(text, wxString::Format(wxPLURAL("Kept %lu value without a field of its own.",
                                                             "Kept %lu values without a field of their own.", r.kept),
                                                    static_cast<unsigned long>(r.kept)));
    if (r.Skipped() == 0)
        return text;

    wxArrayString reasons;
    if (r.duplicates)
        reasons.Add(
            wxString::Format(wxPLURAL("%lu matches an existing contact", "%lu match existing contacts", r.duplicates),
                             static_cast<unsigned long>(r.duplicates)));
    if (r.noName)
        reasons.Add(wxString::Format(wxPLURAL("%lu has no name", "%lu have no name", r.noName),
                                     static_cast<unsigned long>(r.noName)));
    if (r.malformed)
        reasons.Add(wxString::Format(wxPLURAL("%lu is malformed", "%lu are malformed", r.malformed),
                                     static_cast<unsigned long>(r.malformed)));
    if (r.tooLarge)
        reasons.Add(wxString::Format(wxPLURAL("%lu is too large", "%lu are too large", r.tooLarge),
                                     static_cast<unsigned long>(r.tooLarge)));
    wxString why;
    for (const wxString& reason : reasons)
        why += (why.empty() ? wxString() : ListSeparator()) + reason;
    return JoinSentences(text,
                         wxString::Format(wxPLURAL("Skipped %lu card: %s.", "Skipped %lu cards: %s.", r.Skipped()),
                                          static_cast<unsigned long>(r.Skipped()), why));
}
