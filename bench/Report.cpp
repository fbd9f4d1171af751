#include "Report.h"

#include <windows.h>

#include <cstdio>

namespace pelmora::bench {

namespace {

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

// Microseconds as people read them: µs below a millisecond, ms above.
std::string Duration(double microseconds) {
    return microseconds < 1000 ? Format("%.1f us", microseconds) : Format("%.2f ms", microseconds / 1000);
}

std::string Padded(const std::string& text, size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string Report::Table() const {
    std::string table = Padded("figure", 34) + Padded("Pelmora", 12) + Padded("baseline", 12) + Padded("ratio", 8) +
                        Padded("goal", 8) + Padded("verdict", 9) + "repeats\n";
    for (const FigureRow& row : rows_) {
        table += Padded(row.figure, 34) + Padded(Duration(row.pelmoraUs), 12) + Padded(Duration(row.baselineUs), 12) +
                 Padded(Format("%.2f", row.Ratio()), 8) + Padded(Format("<= %.1f", row.goal), 8) +
                 Padded(verdicts_ ? (row.Met() ? "met" : "MISSED") : "-", 9) + std::to_string(row.repeats) + "\n";
        if (!row.note.empty()) table += "    " + row.note + "\n";
    }
    for (const GrowthSeries& series : growth_) {
        table += "\ngrowth of " + series.figure + ": " + series.shape + "\n";
        for (const GrowthPoint& point : series.points) {
            table += "    " + Padded(Format("%.0f scripts", point.scripts), 16) + Duration(point.pelmoraUs);
            if (point.baselineUs > 0) table += "   (baseline " + Duration(point.baselineUs) + ")";
            table += "\n";
        }
    }
    return table;
}

std::string Report::JsonLines() const {
    std::string lines;
    for (const FigureRow& row : rows_) {
        lines += "{\"figure\":" + JsonString(row.figure) + ",\"pelmora_us\":" + Format("%.3f", row.pelmoraUs) +
                 ",\"baseline_us\":" + Format("%.3f", row.baselineUs) + ",\"ratio\":" + Format("%.4f", row.Ratio()) +
                 ",\"goal\":" + Format("%.2f", row.goal) + ",\"repeats\":" + std::to_string(row.repeats);
        if (verdicts_) lines += std::string(",\"verdict\":") + (row.Met() ? "\"met\"" : "\"missed\"");
        lines += "}\n";
    }
    for (const GrowthSeries& series : growth_) {
        for (const GrowthPoint& point : series.points) {
            lines += "{\"growth\":" + JsonString(series.figure) + ",\"scripts\":" + Format("%.0f", point.scripts) +
                     ",\"pelmora_us\":" + Format("%.3f", point.pelmoraUs);
            if (point.baselineUs > 0) lines += ",\"baseline_us\":" + Format("%.3f", point.baselineUs);
            lines += ",\"shape\":" + JsonString(series.shape) + "}\n";
        }
    }
    return lines;
}

std::string Report::GrowthData() const {
    std::string data;
    for (const GrowthSeries& series : growth_) {
        data += "# " + series.figure + " (" + series.shape + "): scripts, Pelmora us, baseline us\n";
        for (const GrowthPoint& point : series.points) {
            data += Format("%.0f", point.scripts) + " " + Format("%.3f", point.pelmoraUs) + " " +
                    Format("%.3f", point.baselineUs) + "\n";
        }
        data += "\n\n";
    }
    return data;
}

bool Report::AllMet() const {
    for (const FigureRow& row : rows_) {
        if (!row.Met()) return false;
    }
    return true;
}

bool WriteTextFile(const std::wstring& path, const std::string& text) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    return ::CloseHandle(file) && ok;
}

}  // namespace pelmora::bench
