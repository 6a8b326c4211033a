// Pairs of contacts the user said are not one person, so that the search
// for duplicates does not offer them again. One table of id pairs, the
// smaller id first; its statements live here.
#pragma once

#include <set>
#include <utility>
#include <vector>

class Adapter;

namespace DismissedPairs
{
extern const char* const TABLE;
// The table, for new books and, at start-up, for books made before it.
extern const char* const CREATE_TABLE;

using Pair = std::pair<int, int>; // smaller id first
Pair Ordered(int a, int b);

// Whether the book has the table (an older one the start-up could not
// change has not).
bool Exists(Adapter& adapter);
// Every pair of the ids, as one batch; false (reported once) on failure.
bool Add(Adapter& adapter, const std::vector<int>& ids);
// Every pair remembered. False when the statement failed.
bool ReadAll(Adapter& adapter, std::set<Pair>& pairs);
// Forgets the pairs of a contact that is deleted; false when a statement failed.
bool Delete(Adapter& adapter, int contactId);
} // namespace DismissedPairs
