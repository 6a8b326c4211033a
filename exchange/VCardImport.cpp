#include "exchange/VCardImport.h"

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/wxsqlite3.h>

#include <memory>
#include <set>
#include <vector>

#include "exchange/VCardReader.h"
#include "storage/ContactManager.h"
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
        return contacts.ForEachMatching(SearchCondition(), false,
                                        [this](ContactInfoEx& c)
                                        {
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
        return names.empty() && mails.empty() && phones.empty();
    }

    bool Matches(const ContactInfoEx& c) const
    {
        if (Has(names, NameKey(c.last_name, c.first_name)) || Has(mails, MailKey(c.email)) ||
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

    std::set<wxString> names, mails, phones;
};

struct Pending
{
    std::unique_ptr<ContactInfoEx> contact;
    wxArrayString categories;
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

    std::vector<Pending> pending;
    VCardReader::Card card;
    size_t read = 0;
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
            if (compare && existing.Matches(*card.contact))
                ++result.duplicates;
            else
                pending.push_back({std::move(card.contact), card.categories});
            break;
        }
    }
    result.cards = reader.CardsSeen();
    if (reader.ReadFailed())
    {
        result.error = _("reading the file failed");
        return result;
    }
    if (pending.empty())
    {
        result.stored = true;
        return result;
    }
    if (onCard)
        onCard(read);

    // Tags: the categories that name no tag yet become tags first, so that
    // the batch links them. Should the batch fail, they go again. Without
    // the stored tags every category would look new and get a twin.
    if (!tags.Load())
    {
        result.error = report.empty() ? _("the tags cannot be read") : report;
        return result;
    }
    std::vector<TagInfo> created;
    bool tagsOk = true;
    for (Pending& p : pending)
    {
        for (const wxString& name : p.categories)
        {
            int id = -1;
            if (const TagInfo* known = tags.FindByName(name))
                id = known->id;
            else
            {
                TagInfo tag(-1, name);
                if (tags.Insert(&tag) <= 0 || tag.id == -1)
                {
                    tagsOk = false;
                    break;
                }
                created.push_back(tag);
                id = tag.id;
            }
            if (p.contact->tagIds.Index(id) == wxNOT_FOUND)
                p.contact->tagIds.Add(id);
        }
        if (!tagsOk)
            break;
    }

    bool ok = tagsOk;
    if (ok)
    {
        ContactArray batch;
        batch.Alloc(pending.size());
        for (const Pending& p : pending)
            batch.Add(p.contact.get());
        ok = contacts.InsertContacts(batch);
    }
    if (!ok)
    {
        for (TagInfo& tag : created)
            tags.Delete(&tag);
        // The database's reason alone reads best after the file's name.
        if (tagsOk && !contacts.GetLastBatchError().empty())
            result.error = contacts.GetLastBatchError();
        else if (!report.empty())
            result.error = report;
        else
            result.error = tagsOk ? _("the contacts could not be stored") : _("a tag could not be created");
        return result;
    }
    result.stored = true;
    result.imported = pending.size();
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
