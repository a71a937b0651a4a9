// The comma-separated texts of the catalog (Sku, Registration): how they are
// tidied and how an item is looked for and added.
#ifndef COMP_MGR_CATALOG_COMMA_LIST_H
#define COMP_MGR_CATALOG_COMMA_LIST_H

#include <string>
#include <string_view>
#include <vector>

#include "comp_mgr/string_list.h"

namespace comp_mgr {

// Appends the comma-separated items of `value` to `list`, each only if the
// list does not hold an identical string yet; true if anything was appended.
bool SplitIntoList(std::string_view value, StringList& list);

// A leading and a trailing comma each become a blank, then every blank in
// the text is removed (blanks inside items too).
std::string NormaliseCommaText(const std::string& text);

// True when the first occurrence of `item` in `text` starts at the beginning
// or right after `separator` and ends at the end or right before a comma.
bool TokenListContains(const std::string& text, const std::string& item, char separator = ',');

// Adds `item` unless TokenListContains says it is there: the text becomes
// the item when empty, else gets the separator and the item.
void TokenListAppend(std::string& text, const std::string& item, char separator = ',');

// Every item followed by a comma, then normalised.
std::string JoinCommaList(const StringList& items);

// Merges the items of `added` into those of `existing` (both normalised and
// split first), keeping the existing order and appending new items in the
// order of `added` (empty ones left out); the result is joined and
// normalised.
std::string MergeCommaTexts(const std::string& existing, const std::string& added);

// Appends to `pieces` the non-empty pieces of `text` between `separator`s
// (leading, doubled and trailing separators give nothing; pieces are not
// trimmed); always 1.
int SplitList(const std::string& text, char separator, std::vector<std::string>& pieces);

}  // namespace comp_mgr

#endif
