// The two files of the overview: uebersicht.tsv for programs and uebersicht.html for people.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "fleet.h"

// UTF-8 with BOM, a header line and one line per row, each ending in CR LF; invariant
// numbers, ISO dates.
std::string OverviewTsv(const std::vector<OverviewRow>& rows);

// The rows of each state, in the order of RowState.
std::array<int, kRowStates> StateCounts(const std::vector<OverviewRow>& rows);

// One self-contained German page: no request leaves it, it works without scripts and prints.
std::string OverviewHtml(const std::vector<OverviewRow>& rows, const OverviewSettings& settings);

// &, <, >, " and ' as character references.
std::string HtmlEscaped(std::string_view text);
