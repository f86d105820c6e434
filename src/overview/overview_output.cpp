// The TSV and the HTML page of the overview. The HTML writes every character beyond ASCII
// of its own texts as a character reference, so its bytes do not depend on the compiler's
// execution character set; the names from the logs are UTF-8 already.
#include "overview_output.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kTsvHeader =
    "Rechner\tLaufwerk\tStand\tKapazitaet_MB\tFrei_MB\tFrei_Prozent\tTrend_MB_pro_Tag\tVoll_in_Tagen\tZustand";
constexpr std::string_view kLineEnd = "\r\n";

template <typename T>
std::string Optional(const std::optional<T>& value)
{
    return value ? std::to_string(*value) : std::string();
}

std::string TrendText(const OverviewRow& row)
{
    return row.forecast.trend ? OneDecimal(*row.forecast.trend) : std::string();
}

std::string StandText(const OverviewRow& row) { return IsoDate(row.stand); }

// The sparkline: free space over the days read and the forecast's horizon on one time
// scale, the forecast dashed from the newest reading on, a grey line at the reference date.
constexpr int kSparkWidth = 180;
constexpr int kSparkHeight = 32;
constexpr int kSparkMargin = 2;

struct SparkScale {
    DayNumber firstDay;
    long double pixelsPerDay;
    long double top;  // the megabytes at the top edge
};

std::string Tenths(long double value)
{
    const auto tenths = static_cast<std::int64_t>(value * 10.0L + (value < 0 ? -0.5L : 0.5L));
    const std::int64_t magnitude = tenths < 0 ? -tenths : tenths;
    return (tenths < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
}

struct SparkPoint {
    std::string x, y;
};

SparkPoint PointAt(const SparkScale& scale, long double day, long double freeMb)
{
    const long double usable = kSparkHeight - 2 * kSparkMargin;
    const long double height = scale.top > 0 ? freeMb / scale.top * usable : 0;
    return {Tenths((day - scale.firstDay) * scale.pixelsPerDay), Tenths(kSparkHeight - kSparkMargin - height)};
}

std::string Attribute(std::string_view name, const std::string& value)
{
    return " " + std::string(name) + "=\"" + value + "\"";
}

// The forecast's line: from the newest reading to the horizon, or to where the drive is full.
struct ForecastLine {
    long double fromDay, fromFree, toDay, toFree;
};

std::optional<ForecastLine> ForecastLineOf(const OverviewRow& row, const OverviewSettings& settings)
{
    if (!row.forecast.trend || !row.freeMb) return std::nullopt;
    const long double slope = static_cast<long double>(row.forecast.trend->numerator) /
                              static_cast<long double>(row.forecast.trend->denominator);
    const auto free = static_cast<long double>(*row.freeMb);
    long double days = settings.reference + settings.horizonDays - row.stand;
    if (slope < 0) days = std::min(days, free / -slope);
    return ForecastLine{static_cast<long double>(row.stand), free, row.stand + days, free + slope * days};
}

std::string Sparkline(const OverviewRow& row, const OverviewSettings& settings)
{
    if (row.history.empty()) return {};
    const auto forecast = ForecastLineOf(row, settings);
    // From nothing free at the bottom to the most free at the top, the forecast's end
    // included: against the capacity a month's change would be a flat line.
    long double top = forecast ? forecast->toFree : 0;
    for (const DayPoint& point : row.history) top = std::max(top, static_cast<long double>(point.freeMb));
    const DayNumber firstDay = FirstDayRead(settings);
    const int span = kWindowDays + settings.horizonDays;
    const SparkScale scale{firstDay, static_cast<long double>(kSparkWidth) / span, top};
    std::string svg = "<svg class=\"verlauf\" width=\"" + std::to_string(kSparkWidth) + "\" height=\"" +
                      std::to_string(kSparkHeight) + "\" viewBox=\"0 0 " + std::to_string(kSparkWidth) + " " +
                      std::to_string(kSparkHeight) + "\" role=\"img\" aria-label=\"Freier Platz der letzten " +
                      std::to_string(kWindowDays) + " Tage" + (forecast ? ", Prognose gestrichelt" : "") + "\">";
    const std::string today = Tenths((settings.reference - firstDay) * scale.pixelsPerDay);
    svg += "<line class=\"stichtag\"" + Attribute("x1", today) + Attribute("y1", "0") + Attribute("x2", today) +
           Attribute("y2", std::to_string(kSparkHeight)) + "/>";
    svg += "<polyline class=\"frei\" points=\"";
    for (std::size_t i = 0; i < row.history.size(); ++i) {
        const SparkPoint point = PointAt(scale, row.history[i].day, static_cast<long double>(row.history[i].freeMb));
        svg += (i ? " " : "") + point.x + "," + point.y;
    }
    svg += "\"/>";
    if (forecast) {
        const SparkPoint from = PointAt(scale, forecast->fromDay, forecast->fromFree);
        const SparkPoint to = PointAt(scale, forecast->toDay, forecast->toFree);
        svg += "<line class=\"prognose\"" + Attribute("x1", from.x) + Attribute("y1", from.y) + Attribute("x2", to.x) +
               Attribute("y2", to.y) + "/>";
    }
    return svg + "</svg>";
}

constexpr std::string_view kStyle = R"(
body{font-family:Segoe UI,Arial,sans-serif;margin:1.5em;color:#1a1a1a;background:#fff}
h1{font-size:1.4em;margin:0 0 .3em}
ul.anzahl{list-style:none;padding:0;margin:0 0 1em;display:flex;flex-wrap:wrap;gap:.4em 1.2em}
table{border-collapse:collapse}
th,td{border:1px solid #888;padding:.25em .5em;text-align:left;vertical-align:middle;white-space:nowrap}
td.zahl{text-align:right;font-variant-numeric:tabular-nums}
thead th{background:#e8e8e8}
.zustand{font-weight:bold;white-space:nowrap}
.zustand::before{content:"\25A0\00A0"}
tr.fehler .zustand{color:#a1001c}
tr.fehlt .zustand{color:#5b2a86}
tr.warnung .zustand{color:#a34700}
tr.bald_voll .zustand{color:#6b5900}
tr.ok .zustand{color:#1d6b2c}
svg.verlauf{display:block}
svg.verlauf .frei{fill:none;stroke:currentColor;stroke-width:1.5}
svg.verlauf .prognose{stroke:currentColor;stroke-width:1.5;stroke-dasharray:3 2}
svg.verlauf .stichtag{stroke:#999;stroke-width:1}
@media (forced-colors:active){tr .zustand{color:CanvasText}svg.verlauf .stichtag{stroke:GrayText}}
@media print{body{margin:0;font-size:9pt}thead{display:table-header-group}tr{break-inside:avoid}
thead th{background:none}}
)";

const char* const kColumnTitles[] = {"Rechner",   "Laufwerk", "Stand",          "Kapazit&auml;t (MB)",
                                     "Frei (MB)", "Frei (%)", "Trend (MB/Tag)", "Voll in Tagen",
                                     "Zustand",   "Verlauf"};

std::string HtmlRow(const OverviewRow& row, const OverviewSettings& settings)
{
    std::string drive = HtmlEscaped(row.drive);
    if (!row.label.empty()) drive += " " + HtmlEscaped(row.label);
    const std::string state = StateName(row.state);
    return "<tr class=\"" + state + "\"><th scope=\"row\">" + HtmlEscaped(row.computer) + "</th><td>" + drive +
           "</td><td>" + StandText(row) + "</td><td class=\"zahl\">" + Optional(row.capacityMb) +
           "</td><td class=\"zahl\">" + Optional(row.freeMb) + "</td><td class=\"zahl\">" + Optional(row.percent) +
           "</td><td class=\"zahl\">" + TrendText(row) + "</td><td class=\"zahl\">" +
           Optional(row.forecast.daysUntilFull) + "</td><td class=\"zustand\">" + state + "</td><td>" +
           Sparkline(row, settings) + "</td></tr>\n";
}

}  // namespace

std::string OverviewTsv(const std::vector<OverviewRow>& rows)
{
    std::string out;
    out.reserve(kBom.size() + kTsvHeader.size() + kLineEnd.size() + rows.size() * 80);
    out.append(kBom).append(kTsvHeader).append(kLineEnd);
    for (const OverviewRow& row : rows) {
        out.append(row.computer).append("\t").append(row.drive).append("\t").append(StandText(row)).append("\t");
        out.append(Optional(row.capacityMb)).append("\t").append(Optional(row.freeMb)).append("\t");
        out.append(Optional(row.percent)).append("\t").append(TrendText(row)).append("\t");
        out.append(Optional(row.forecast.daysUntilFull)).append("\t").append(StateName(row.state)).append(kLineEnd);
    }
    return out;
}

std::array<int, kRowStates> StateCounts(const std::vector<OverviewRow>& rows)
{
    std::array<int, kRowStates> counts{};
    for (const OverviewRow& row : rows) ++counts[static_cast<std::size_t>(row.state)];
    return counts;
}

std::string HtmlEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string OverviewHtml(const std::vector<OverviewRow>& rows, const OverviewSettings& settings)
{
    const std::string date = GermanDate(settings.reference);
    // About 1.5 KB a row with its line of 90 days: reserved, so that a fleet's page is not
    // copied on the way.
    constexpr std::size_t kBytesPerRow = 1600;
    std::string out = "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
                      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
                      "style-src 'unsafe-inline'\">\n<title>Laufwerke am " +
                      date + "</title>\n<style>" + std::string(kStyle) +
                      "</style>\n</head>\n<body>\n<header>\n<h1>Laufwerke am " + date + "</h1>\n<ul class=\"anzahl\">";
    out.reserve(out.size() + 4096 + rows.size() * kBytesPerRow);
    const auto counts = StateCounts(rows);
    for (int state = 0; state < kRowStates; ++state)
        out += "<li>" + std::to_string(counts[static_cast<std::size_t>(state)]) + " " +
               StateName(static_cast<RowState>(state)) + "</li>";
    out += "</ul>\n</header>\n";
    if (rows.empty())
        out += "<p>Keine Tagesprotokolle vom " + GermanDate(FirstDayRead(settings)) + " bis " + date + ".</p>\n";
    out += "<table>\n<thead><tr>";
    for (const char* title : kColumnTitles) out += std::string("<th scope=\"col\">") + title + "</th>";
    out += "</tr></thead>\n<tbody>\n";
    for (const OverviewRow& row : rows) out += HtmlRow(row, settings);
    out += "</tbody>\n</table>\n<p class=\"hinweis\">Trend: Median der Steigungen der letzten 28 Tage seit dem "
           "letzten Aufr&auml;umen oder Plattenwechsel, ab 7 Tagesprotokollen. Warnung unter " +
           std::to_string(settings.warningPercent) + "&nbsp;% frei, bald voll in h&ouml;chstens " +
           std::to_string(settings.horizonDays) + " Tagen, fehlt nach " + std::to_string(settings.silentDays) +
           (settings.silentDays == 1 ? " Tag" : " Tagen") + " ohne Protokoll.</p>\n</body>\n</html>\n";
    return out;
}
