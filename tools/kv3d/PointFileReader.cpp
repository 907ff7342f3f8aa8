#include "PointFileReader.h"

#include <sys/mman.h>

#include <cstdint>
#include <string_view>

#include "InputError.h"
#include "InputReader.h"
#include "NumberFormat.h"
#include "RecordParser.h"

namespace kv3dcli {

namespace {

void require_count(const std::string& name, std::size_t found, std::size_t needed,
                   const char* singular, const char* plural) {
    if (found < needed) {
        throw InputError(name, std::to_string(found) + " " + (found == 1 ? singular : plural) +
                                   ", at least " + std::to_string(needed) + " needed");
    }
}

// Large arrays are filled from start to end at once: back them with huge
// pages where the system offers them on request, which saves one page fault
// per 4 KiB. Only a hint: the result is the same without it.
void advise_huge_pages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    const std::uintptr_t huge = std::uintptr_t{1} << 21;
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(data) + huge - 1) & ~(huge - 1);
    const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(huge - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace

std::vector<double> PointFileReader::parse_records(const InputText& input, int width) {
    std::vector<double> values;
    InputReader lines(input);
    read_records(lines, width, nullptr,
                 [&](const double* v) { values.insert(values.end(), v, v + width); });
    return values;
}

KvArray<Kv3dPoint> PointFileReader::read_points(const std::string& path,
                                                std::size_t min_points) const {
    InputReader lines(path, *std_in_);
    KvArray<Kv3dPoint> points;
    points.reserve(InputReader::count_lines(path));
    advise_huge_pages(points.data(), points.capacity() * sizeof(Kv3dPoint));
    read_records(lines, 3, progress_,
                 [&](const double* v) { points.append(Kv3dPoint(v[0], v[1], v[2])); });
    require_count(lines.name(), points.size(), min_points, "point", "points");
    return points;
}

KvArray<KvPair<Kv3dPoint, Kv3dPoint>> PointFileReader::read_pairs(const std::string& path,
                                                                  std::size_t min_pairs) const {
    InputReader lines(path, *std_in_);
    KvArray<KvPair<Kv3dPoint, Kv3dPoint>> pairs;
    pairs.reserve(InputReader::count_lines(path));
    read_records(lines, 6, progress_, [&](const double* v) {
        pairs.append(
            KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(v[0], v[1], v[2]), Kv3dPoint(v[3], v[4], v[5])));
    });
    require_count(lines.name(), pairs.size(), min_pairs, "point pair", "point pairs");
    return pairs;
}

KvArray<double> PointFileReader::read_numbers(const std::string& path) const {
    InputReader lines(path, *std_in_);
    KvArray<double> numbers;
    numbers.reserve(InputReader::count_lines(path));
    read_records(lines, 1, progress_, [&](const double* v) { numbers.append(v[0]); });
    return numbers;
}

}  // namespace kv3dcli
