#include "ReportWriter.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "NumberFormat.h"

namespace kv3dcli {

using OrderedJson = nlohmann::ordered_json;

// The document and the chain of open sections; each pointer refers to an
// object inside its parent, which receives no new keys while the child is open.
struct ReportWriter::Json {
    OrderedJson root = OrderedJson::object();
    std::vector<OrderedJson*> open;
    OrderedJson& top() { return *open.back(); }
};

namespace {

constexpr std::size_t kLabelWidth = 42;

OrderedJson triple(double x, double y, double z) { return OrderedJson::array({x, y, z}); }

}  // namespace

std::string format_triple(double x, double y, double z) {
    return "(" + format_number(x) + ", " + format_number(y) + ", " + format_number(z) + ")";
}

ReportWriter::ReportWriter(bool json, const std::string& command, const std::string& title)
    : json_(json) {
    if (json_) {
        json_doc_ = std::make_unique<Json>();
        json_doc_->root["command"] = command;
        json_doc_->open.push_back(&json_doc_->root);
    } else {
        text_ += title + "\n";
    }
}

ReportWriter::~ReportWriter() = default;

std::string ReportWriter::indent() const {
    return std::string(static_cast<std::size_t>(2 * depth_), ' ');
}

void ReportWriter::text_line(const std::string& label, const std::string& value) {
    std::string line = indent() + label;
    line +=
        line.size() < kLabelWidth ? std::string(kLabelWidth - line.size(), ' ') : std::string(" ");
    text_ += line + value + "\n";
}

void ReportWriter::begin_section(const std::string& key, const std::string& heading) {
    if (json_) {
        OrderedJson& parent = json_doc_->top();
        parent[key] = OrderedJson::object();
        json_doc_->open.push_back(&parent[key]);
    } else {
        text_ += "\n" + indent() + heading + "\n";
    }
    ++depth_;
}

void ReportWriter::end_section() {
    if (depth_ == 0) {
        return;
    }
    --depth_;
    if (json_) {
        json_doc_->open.pop_back();
    }
}

void ReportWriter::number(const std::string& key, const std::string& label, double value) {
    if (json_) {
        json_doc_->top()[key] = value;
    } else {
        text_line(label, format_number(value));
    }
}

void ReportWriter::count(const std::string& key, const std::string& label, std::size_t value) {
    if (json_) {
        json_doc_->top()[key] = value;
    } else {
        text_line(label, std::to_string(value));
    }
}

void ReportWriter::flag(const std::string& key, const std::string& label, bool value) {
    if (json_) {
        json_doc_->top()[key] = value;
    } else {
        text_line(label, value ? "yes" : "no");
    }
}

void ReportWriter::text(const std::string& key, const std::string& label,
                        const std::string& value) {
    if (json_) {
        json_doc_->top()[key] = value;
    } else {
        text_line(label, value);
    }
}

void ReportWriter::point(const std::string& key, const std::string& label, const Kv3dPoint& p) {
    if (json_) {
        json_doc_->top()[key] = triple(p.x(), p.y(), p.z());
    } else {
        text_line(label, format_triple(p.x(), p.y(), p.z()));
    }
}

void ReportWriter::vector(const std::string& key, const std::string& label, const Kv3dVector& v) {
    if (json_) {
        json_doc_->top()[key] = triple(v.x(), v.y(), v.z());
    } else {
        text_line(label, format_triple(v.x(), v.y(), v.z()));
    }
}

void ReportWriter::direction(const std::string& key, const std::string& label,
                             const Kv3dDirection& d) {
    if (json_) {
        json_doc_->top()[key] = triple(d.x(), d.y(), d.z());
    } else {
        text_line(label, format_triple(d.x(), d.y(), d.z()));
    }
}

void ReportWriter::matrix(const std::string& key, const std::string& label, const double* m) {
    if (json_) {
        OrderedJson rows = OrderedJson::array();
        for (int r = 0; r < 4; ++r) {
            rows.push_back(
                OrderedJson::array({m[4 * r], m[4 * r + 1], m[4 * r + 2], m[4 * r + 3]}));
        }
        json_doc_->top()[key] = rows;
        return;
    }
    // Each column right-aligned to its widest entry.
    std::string cells[16];
    std::size_t width[4] = {0, 0, 0, 0};
    for (int i = 0; i < 16; ++i) {
        cells[i] = format_number(m[i]);
        width[i % 4] = std::max(width[i % 4], cells[i].size());
    }
    text_ += indent() + label + "\n";
    for (int r = 0; r < 4; ++r) {
        std::string row = indent() + "  [";
        for (int c = 0; c < 4; ++c) {
            const std::string& cell = cells[4 * r + c];
            row += std::string(width[c] - cell.size() + 2, ' ') + cell;
        }
        text_ += row + " ]\n";
    }
}

void ReportWriter::point_list(const std::string& key, const std::string& label,
                              const std::vector<Kv3dPoint>& points) {
    if (json_) {
        OrderedJson list = OrderedJson::array();
        for (const Kv3dPoint& p : points) {
            list.push_back(triple(p.x(), p.y(), p.z()));
        }
        json_doc_->top()[key] = list;
        return;
    }
    text_ += indent() + label + "\n";
    const std::size_t digits = std::to_string(points.empty() ? 0 : points.size() - 1).size();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::string number = std::to_string(i);
        text_ += indent() + "  " + std::string(digits - number.size(), ' ') + number + "  " +
                 format_triple(points[i].x(), points[i].y(), points[i].z()) + "\n";
    }
}

void ReportWriter::number_list(const std::string& key, const std::string& label,
                               const std::vector<double>& values) {
    if (json_) {
        json_doc_->top()[key] = values;
        return;
    }
    text_ += indent() + label + "\n";
    const std::size_t digits = std::to_string(values.empty() ? 0 : values.size() - 1).size();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string number = std::to_string(i);
        text_ += indent() + "  " + std::string(digits - number.size(), ' ') + number + "  " +
                 format_number(values[i]) + "\n";
    }
}

void ReportWriter::index_pairs(const std::string& key, const std::string& label,
                               const KvArray<KvPair<std::size_t, std::size_t>>& pairs) {
    if (json_) {
        OrderedJson list = OrderedJson::array();
        for (const auto& p : pairs) {
            list.push_back(OrderedJson::array({p.first, p.second}));
        }
        json_doc_->top()[key] = list;
        return;
    }
    text_ += indent() + label + "\n";
    for (const auto& p : pairs) {
        text_ += indent() + "  " + std::to_string(p.first) + "  " + std::to_string(p.second) + "\n";
    }
}

void ReportWriter::lines(const std::string& key, const std::string& label,
                         const std::vector<std::string>& text_lines) {
    if (json_) {
        json_doc_->top()[key] = text_lines;
        return;
    }
    text_ += indent() + label + "\n";
    for (const std::string& line : text_lines) {
        text_ += indent() + "  | " + line + "\n";
    }
}

void ReportWriter::note(const std::string& remark) {
    if (!json_) {
        text_ += indent() + remark + "\n";
    }
}

std::string ReportWriter::str() const {
    if (json_) {
        // File names need not be UTF-8: invalid bytes are replaced, never thrown on.
        return json_doc_->root.dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
    }
    return text_;
}

}  // namespace kv3dcli
