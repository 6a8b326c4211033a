// Reading vCard text held in memory, for the vCard tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "exchange/VCardReader.h"

// Every card of the text, as the reader gives them.
inline std::vector<VCardReader::Card> ReadCards(const std::string& text)
{
    VCardReader reader;
    reader.OpenMemory(text.data(), text.size());
    std::vector<VCardReader::Card> cards;
    VCardReader::Card card;
    while (reader.Next(card))
        cards.push_back(std::move(card));
    return cards;
}
