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

std::string FigureRow::Verdict() const {
    if (!settled) return "unstable";
    const bool met = share ? ratio < goal : ratio <= goal;
    return met ? "met" : "missed";
}

FigureRow PairedRow(std::string figure, const PairedResult& result, double goal, std::string note) {
    FigureRow row;
    row.figure = std::move(figure);
    row.pelmoraUs = result.pelmoraUs;
    row.baselineUs = result.baselineUs;
    row.ratio = result.ratio;
    row.lowerQuartile = result.lowerQuartile;
    row.upperQuartile = result.upperQuartile;
    row.goal = goal;
    row.settled = result.settled;
    row.repeats = result.Repeats();
    row.ratios = result.ratios;
    row.note = std::move(note);
    return row;
}

const char* BuildName() noexcept { return sizeof(void*) == 8 ? "x64" : "x86"; }

std::string Report::Table() const {
    std::string table = Padded("figure", 32) + Padded("Pelmora", 11) + Padded("baseline", 11) + Padded("ratio", 8) +
                        Padded("IQR", 14) + Padded("goal", 9) + Padded("verdict", 10) + "repeats\n";
    for (const FigureRow& row : rows_) {
        const char* value = row.share ? "%.2f%%" : "%.2f";
        const double scale = row.share ? 100 : 1;
        table += Padded(row.figure, 32) + Padded(Duration(row.pelmoraUs), 11) + Padded(Duration(row.baselineUs), 11) +
                 Padded(Format(value, row.ratio * scale), 8) +
                 Padded(row.repeats > 1 ? Format(value, row.lowerQuartile * scale) + "-" +
                                              Format(value, row.upperQuartile * scale)
                                        : "-",
                        14) +
                 Padded((row.share ? "< " : "<= ") + Format(value, row.goal * scale), 9) +
                 Padded(verdicts_ ? row.Verdict() : "-", 10) + std::to_string(row.repeats) + "\n";
        if (!row.note.empty()) table += "    " + row.note + "\n";
        if (row.ratios.size() > 1) {
            table += "    pairs:";
            for (double ratio : row.ratios) table += Format(" %.2f", ratio);
            table += "\n";
        }
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
    const std::string build = std::string("{\"build\":\"") + BuildName() + "\",\"run\":" + std::to_string(run_);
    std::string lines;
    for (const FigureRow& row : rows_) {
        lines += build + ",\"figure\":" + JsonString(row.figure) + ",\"pelmora_us\":" + Format("%.3f", row.pelmoraUs) +
                 ",\"baseline_us\":" + Format("%.3f", row.baselineUs) + ",\"ratio\":" + Format("%.4f", row.ratio) +
                 ",\"iqr\":[" + Format("%.4f", row.lowerQuartile) + "," + Format("%.4f", row.upperQuartile) +
                 "],\"goal\":" + Format("%.4f", row.goal) + ",\"share\":" + (row.share ? "true" : "false") +
                 ",\"repeats\":" + std::to_string(row.repeats) + ",\"ratios\":[";
        for (size_t i = 0; i < row.ratios.size(); ++i) lines += (i ? "," : "") + Format("%.4f", row.ratios[i]);
        lines += "]";
        if (verdicts_) lines += ",\"verdict\":" + JsonString(row.Verdict());
        lines += "}\n";
    }
    for (const GrowthSeries& series : growth_) {
        for (const GrowthPoint& point : series.points) {
            lines += build + ",\"growth\":" + JsonString(series.figure) + ",\"scripts\":" +
                     Format("%.0f", point.scripts) + ",\"pelmora_us\":" + Format("%.3f", point.pelmoraUs);
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
        if (row.Verdict() != "met") return false;
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
