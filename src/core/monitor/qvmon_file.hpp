#pragma once
// Recordings of the monitor (.qvmon): everything the module sent, as received, with the time
// each batch arrived (docs/qvmon-format.md):
//
//   "QVMON1\r\n"                         8 bytes, the mark of the format
//   header lines "key=value\r\n"        Windows-1250: program, port, start (YYYY-MM-DD
//                                       hh:mm:ss.zzz, the computer's time); an empty line ends
//                                       them; at most 4096 bytes in all
//   batches, each:
//     0xB7                              1 byte, the batch mark
//     time                              4 bytes, little-endian: milliseconds since the start
//     length n                          2 bytes, little-endian, 1..65535
//     n bytes                           as the port delivered them
//     CRC-32                            4 bytes, little-endian, of time, length and bytes
//
// Batch times never decrease. The writer streams to the file (nothing is kept in memory) and
// flushes every batch, so a recording cut short by a crash reads up to its last batch. The
// reader reads one batch at a time and stops at the first damage with a message that names
// where, keeping everything before it.
#include "common/clock.hpp"

#include <cstdint>
#include <fstream>
#include <istream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr std::string_view kQvmonMagic = "QVMON1\r\n";
inline constexpr std::size_t kQvmonMaxHeader = 4096;
inline constexpr std::uint8_t kQvmonBatchMark = 0xB7;
inline constexpr std::size_t kQvmonMaxBatch = 65535;

struct QvmonHeader {
    std::string program;   // "QV PROG 2.2.24"
    std::string port;      // UTF-8
    LocalDateTime start{}; // the computer's time when the recording began
};

struct QvmonBatch {
    std::uint32_t ms = 0; // since the start
    std::string bytes;
};

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

// The file's first bytes mark a recording.
bool isQvmon(std::string_view firstBytes);

// Header and batch bytes, for the writer and the tests.
std::string qvmonHeaderBytes(const QvmonHeader& header);
std::string qvmonBatchBytes(std::uint32_t ms, std::string_view bytes);

class QvmonWriter {
  public:
    // Creates (or replaces) the file and writes the header; nothing, with the reason in error,
    // when it cannot be written.
    static std::unique_ptr<QvmonWriter> create(const std::string& path, const QvmonHeader& header,
                                               std::string& error);
    // A batch received ms milliseconds after the start; longer ones are split. False once a
    // write has failed (the disk is full, the medium gone).
    bool write(std::uint32_t ms, std::span<const std::uint8_t> bytes);
    bool write(std::uint32_t ms, std::string_view bytes);
    bool failed() const { return failed_; }
    std::uint64_t bytesWritten() const { return written_; }

  private:
    std::ofstream out_;
    std::uint32_t lastMs_ = 0;
    std::uint64_t written_ = 0;
    bool failed_ = false;
};

// Reads a recording from a stream, one batch at a time.
class QvmonReader {
  public:
    // Reads the header: false, with the reason in error(), when the stream holds no recording.
    explicit QvmonReader(std::istream& in);
    bool valid() const { return valid_; }
    const QvmonHeader& header() const { return header_; }
    // The next batch, or nothing at the end or at damage (then error() says where and why).
    std::optional<QvmonBatch> next();
    // Back to the first batch (for a replay that jumps backwards).
    void rewind();
    // Empty at a clean end; the Polish message of the damage otherwise.
    const std::string& error() const { return error_; }
    std::uint64_t batchesRead() const { return batches_; }

  private:
    void damaged(std::string_view what);

    std::istream* in_;
    QvmonHeader header_;
    std::streamoff dataStart_ = 0;
    std::streamoff offset_ = 0;
    std::uint32_t lastMs_ = 0;
    std::uint64_t batches_ = 0;
    bool valid_ = false;
    bool stopped_ = false;
    std::string error_;
};

// "hh:mm:ss" of a span of milliseconds (hours beyond 99 kept whole).
std::string formatSpan(std::int64_t ms);

} // namespace qv
