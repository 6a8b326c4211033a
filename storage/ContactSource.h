// Where a batch of new contacts comes from when it is too large to hold in
// memory at once (an import file): the records are handed over one at a
// time, and each may be gone once the next one is asked for.
#pragma once

class ContactInfoEx;

class ContactSource
{
public:
    virtual ~ContactSource() = default;

    // The next record, owned by the source and valid until the next call;
    // null when there is none left, or when the source failed.
    virtual ContactInfoEx* Next() = 0;

    // Called inside the batch's transaction for each record handed over,
    // just before it is stored: what the record needs stored first (the
    // tags an import creates for it) goes into the same transaction and
    // goes again with it. False fails the batch as a failed statement does.
    virtual bool Prepare(ContactInfoEx& /*contact*/)
    {
        return true;
    }

    // Whether the last null from Next meant a failure of the source itself
    // (a damaged file) rather than its end. The source's owner tells the
    // user why.
    virtual bool Failed() const
    {
        return false;
    }
};
