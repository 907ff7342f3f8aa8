#pragma once

#include <kv/KvArray.h>
#include <kv/KvPair.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dVector.h>

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kv3dcli {

// Builds a command's report once, as readable text or as JSON. Every entry
// has a JSON key and a text label; sections nest. Nothing is written until
// str() is called, so a command that fails halfway writes nothing.
//
// Text: one "label   value" line per entry, two blanks of indentation per
// section level. JSON: one object per section, numbers as JSON numbers,
// points and vectors as [x, y, z], matrices as an array of rows.
class ReportWriter {
public:
    ReportWriter(bool json, const std::string& command, const std::string& title);
    ~ReportWriter();
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    bool json() const { return json_; }

    void begin_section(const std::string& key, const std::string& heading);
    void end_section();

    void number(const std::string& key, const std::string& label, double value);
    void count(const std::string& key, const std::string& label, std::size_t value);
    void flag(const std::string& key, const std::string& label, bool value);
    void text(const std::string& key, const std::string& label, const std::string& value);
    void point(const std::string& key, const std::string& label, const Kv3dPoint& p);
    void vector(const std::string& key, const std::string& label, const Kv3dVector& v);
    void direction(const std::string& key, const std::string& label, const Kv3dDirection& d);
    // 16 values, row-major, shown as four rows.
    void matrix(const std::string& key, const std::string& label, const double* m);
    // One numbered line per point.
    void point_list(const std::string& key, const std::string& label,
                    const std::vector<Kv3dPoint>& points);
    // One numbered line per value.
    void number_list(const std::string& key, const std::string& label,
                     const std::vector<double>& values);
    // One "i  j" line per pair.
    void index_pairs(const std::string& key, const std::string& label,
                     const KvArray<KvPair<std::size_t, std::size_t>>& pairs);
    // Verbatim lines (journal output, for instance).
    void lines(const std::string& key, const std::string& label,
               const std::vector<std::string>& text_lines);
    // A remark shown in the text report only.
    void note(const std::string& remark);

    // The finished report; the JSON form ends with a newline too.
    std::string str() const;

private:
    struct Json;
    std::string indent() const;
    void text_line(const std::string& label, const std::string& value);

    bool json_;
    std::string text_;
    int depth_ = 0;
    std::unique_ptr<Json> json_doc_;
};

// "(x, y, z)" with the shortest round-trip form of each coordinate.
std::string format_triple(double x, double y, double z);

}  // namespace kv3dcli
