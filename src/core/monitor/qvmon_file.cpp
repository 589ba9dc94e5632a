#include "monitor/qvmon_file.hpp"

#include "common/cp1250.hpp"
#include "common/file_io.hpp"
#include "common/text_format.hpp"

#include <array>

namespace qv {

namespace {

constexpr std::size_t kBatchHead = 7; // mark, time, length

std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = c & 1u ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}

void putLe(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFu));
}

std::uint32_t getLe(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

std::string startText(const LocalDateTime& t) {
    return formatProgDate(t) + "." + zeroPadded(t.millisecond, 3);
}

std::optional<LocalDateTime> parseStart(std::string_view s) {
    // "YYYY-MM-DD hh:mm:ss" with ".zzz" after it or not.
    if (s.size() != 19 && s.size() != 23) return std::nullopt;
    auto num = [&](std::size_t at, std::size_t n) -> int {
        int v = 0;
        for (std::size_t k = 0; k < n; ++k) {
            const char c = s[at + k];
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    LocalDateTime t{num(0, 4), num(5, 2), num(8, 2), num(11, 2), num(14, 2), num(17, 2), 0};
    if (s.size() == 23) {
        if (s[19] != '.') return std::nullopt;
        t.millisecond = num(20, 3);
    }
    if (s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || s[16] != ':' ||
        t.year < 1900 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 ||
        t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 ||
        t.millisecond < 0)
        return std::nullopt;
    return t;
}

} // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    static const auto table = makeCrcTable();
    crc = ~crc;
    for (auto b : bytes)
        crc = table[(crc ^ b) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

bool isQvmon(std::string_view firstBytes) {
    return firstBytes.substr(0, kQvmonMagic.size()) == kQvmonMagic;
}

std::string qvmonHeaderBytes(const QvmonHeader& h) {
    // Line breaks in a value would end the header early: they become blanks.
    auto clean = [](std::string v) {
        for (char& c : v)
            if (c == '\r' || c == '\n') c = ' ';
        return toCp1250(v);
    };
    std::string out(kQvmonMagic);
    out += "program=" + clean(h.program) + "\r\n";
    out += "port=" + clean(h.port) + "\r\n";
    out += "start=" + startText(h.start) + "\r\n\r\n";
    if (out.size() > kQvmonMaxHeader) { // a port name of thousands of characters: cut
        out.resize(kQvmonMaxHeader - 2);
        out += "\r\n";
    }
    return out;
}

std::string qvmonBatchBytes(std::uint32_t ms, std::string_view bytes) {
    std::string out;
    out.reserve(kBatchHead + bytes.size() + 4);
    out.push_back(static_cast<char>(kQvmonBatchMark));
    putLe(out, ms, 4);
    putLe(out, static_cast<std::uint32_t>(bytes.size()), 2);
    out += bytes;
    const auto* p = reinterpret_cast<const std::uint8_t*>(out.data()) + 1;
    putLe(out, crc32({p, out.size() - 1}), 4);
    return out;
}

std::unique_ptr<QvmonWriter> QvmonWriter::create(const std::string& path, const QvmonHeader& header,
                                                 std::string& error) {
    auto w = std::unique_ptr<QvmonWriter>(new QvmonWriter);
    const auto p = pathFromUtf8(path);
    if (p && (!fileExists(path) || isRegularFile(path)))
        w->out_.open(*p, std::ios::binary | std::ios::trunc);
    const std::string head = qvmonHeaderBytes(header);
    if (w->out_.is_open()) w->out_.write(head.data(), static_cast<std::streamsize>(head.size()));
    if (!w->out_.is_open() || !w->out_.flush()) {
        error = "Błąd zapisu pliku: " + path;
        return nullptr;
    }
    w->written_ = head.size();
    return w;
}

bool QvmonWriter::write(std::uint32_t ms, std::string_view bytes) {
    return write(ms, std::span<const std::uint8_t>(
                         reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

bool QvmonWriter::write(std::uint32_t ms, std::span<const std::uint8_t> bytes) {
    if (failed_) return false;
    if (ms < lastMs_) ms = lastMs_; // a clock that stepped back: times still never decrease
    lastMs_ = ms;
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kQvmonMaxBatch);
        const std::string batch =
            qvmonBatchBytes(ms, std::string_view(reinterpret_cast<const char*>(bytes.data()), n));
        out_.write(batch.data(), static_cast<std::streamsize>(batch.size()));
        written_ += batch.size();
        bytes = bytes.subspan(n);
    }
    if (!out_.flush()) failed_ = true;
    return !failed_;
}

QvmonReader::QvmonReader(std::istream& in) : in_(&in) {
    std::string head(kQvmonMagic.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    if (in.gcount() != static_cast<std::streamsize>(head.size()) || !isQvmon(head)) {
        error_ = "Plik nie jest zapisem monitora (.qvmon)";
        stopped_ = true;
        return;
    }
    std::size_t used = head.size();
    std::string line;
    bool haveStart = false;
    for (;;) {
        line.clear();
        char c = 0;
        while (used < kQvmonMaxHeader && in.get(c) && c != '\n') {
            ++used;
            line.push_back(c);
        }
        ++used;
        if (!in || used > kQvmonMaxHeader) {
            error_ = "Uszkodzony nagłówek zapisu monitora";
            stopped_ = true;
            return;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue; // an unknown line of a later version
        const std::string key = line.substr(0, eq);
        const std::string value = fromCp1250(std::string_view(line).substr(eq + 1));
        if (key == "program") header_.program = value;
        if (key == "port") header_.port = value;
        if (key == "start") {
            const auto t = parseStart(value);
            if (!t) {
                error_ = "Uszkodzony nagłówek zapisu monitora (czas początku: " + value + ")";
                stopped_ = true;
                return;
            }
            header_.start = *t;
            haveStart = true;
        }
    }
    if (!haveStart) {
        error_ = "Uszkodzony nagłówek zapisu monitora (brak czasu początku)";
        stopped_ = true;
        return;
    }
    dataStart_ = offset_ = static_cast<std::streamoff>(used);
    valid_ = true;
}

void QvmonReader::damaged(std::string_view what) {
    stopped_ = true;
    error_ = "Zapis monitora jest uszkodzony od bajtu " + std::to_string(offset_) + " (" +
             std::string(what) + "); odtworzono " + std::to_string(batches_) +
             " paczek, do czasu " + formatSpan(lastMs_);
}

std::optional<QvmonBatch> QvmonReader::next() {
    if (stopped_) return std::nullopt;
    std::array<unsigned char, kBatchHead> head{};
    in_->read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    const auto got = in_->gcount();
    if (got == 0) {
        stopped_ = true; // the clean end
        return std::nullopt;
    }
    if (got < static_cast<std::streamsize>(head.size())) {
        damaged("zapis się urywa");
        return std::nullopt;
    }
    if (head[0] != kQvmonBatchMark) {
        damaged("brak znacznika paczki");
        return std::nullopt;
    }
    const std::uint32_t ms = getLe(&head[1], 4);
    const std::uint32_t n = getLe(&head[5], 2);
    if (n == 0) {
        damaged("pusta paczka");
        return std::nullopt;
    }
    if (ms < lastMs_) {
        damaged("czas paczki cofa się");
        return std::nullopt;
    }
    QvmonBatch batch;
    batch.ms = ms;
    batch.bytes.resize(n);
    std::array<unsigned char, 4> check{};
    in_->read(batch.bytes.data(), n);
    if (in_->gcount() == static_cast<std::streamsize>(n))
        in_->read(reinterpret_cast<char*>(check.data()), 4);
    if (!*in_) {
        damaged("zapis się urywa");
        return std::nullopt;
    }
    std::uint32_t crc = crc32({reinterpret_cast<const std::uint8_t*>(&head[1]), 6});
    crc = crc32({reinterpret_cast<const std::uint8_t*>(batch.bytes.data()), n}, crc);
    if (crc != getLe(check.data(), 4)) {
        damaged("błędna suma kontrolna");
        return std::nullopt;
    }
    offset_ += static_cast<std::streamoff>(kBatchHead + n + 4);
    lastMs_ = ms;
    ++batches_;
    return batch;
}

void QvmonReader::rewind() {
    if (!valid_) return;
    in_->clear();
    in_->seekg(dataStart_);
    offset_ = dataStart_;
    lastMs_ = 0;
    batches_ = 0;
    stopped_ = false;
    error_.clear();
}

std::string formatSpan(std::int64_t ms) {
    if (ms < 0) ms = 0;
    const std::int64_t s = ms / 1000;
    return zeroPadded(s / 3600, 2) + ":" + zeroPadded(s / 60 % 60, 2) + ":" + zeroPadded(s % 60, 2);
}

} // namespace qv
