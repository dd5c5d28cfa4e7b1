#include "SampleFiles.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace {

// CRC-32 as PNG and ZIP use it (polynomial 0xEDB88320).
std::uint32_t crc32(const std::string& bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) crc = table[(crc ^ c) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void appendBigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void appendLittleEndian(std::string& out, std::uint32_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t adler32(const std::string& bytes) {
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : bytes) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

// A zlib stream of uncompressed ("stored") deflate blocks: valid, and needs no compressor.
std::string zlibStored(const std::string& data) {
    std::string out = "\x78\x01";
    constexpr std::size_t kMaxBlock = 65535;
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(kMaxBlock, data.size() - at);
        out += static_cast<char>(at + length == data.size() ? 1 : 0);  // BFINAL on the last block
        appendLittleEndian(out, static_cast<std::uint32_t>(length), 2);
        appendLittleEndian(out, static_cast<std::uint32_t>(~length & 0xFFFF), 2);
        out.append(data, at, length);
        at += length;
    } while (at < data.size());
    appendBigEndian32(out, adler32(data));
    return out;
}

void appendPngChunk(std::string& out, const std::string& type, const std::string& data) {
    appendBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    out += type + data;
    appendBigEndian32(out, crc32(type + data));
}

// An ellipse centred at (16, 14), 24 x 18, and a tail down to (8, 27) below its left side.
bool inSpeechBubble(int x, int y) {
    const double dx = (x - 16) / 12.0, dy = (y - 14) / 9.0;
    const bool inTail = y >= 20 && y <= 27 && x >= 8 && x <= 8 + (27 - y);
    return dx * dx + dy * dy < 1.0 || inTail;
}

// Scanlines, each with filter byte 0: white bubble on the blue of the program's accents, the
// bubble drawn on a 32 x 32 grid and scaled to size.
std::string bubbleImageRows(int size) {
    std::string rows;
    for (int y = 0; y < size; ++y) {
        rows += '\0';
        for (int x = 0; x < size; ++x)
            rows += inSpeechBubble(x * 32 / size, y * 32 / size) ? std::string("\xFF\xFF\xFF", 3)
                                                                 : std::string("\x34\x68\xD6", 3);
    }
    return rows;
}

// DOS date and time of 2026-01-01 09:00, the fixed time stamp of every entry.
constexpr std::uint32_t kDosTime = 9 << 11, kDosDate = ((2026 - 1980) << 9) | (1 << 5) | 1;

std::string zipEntryFields(const std::string& name, const std::string& content) {
    std::string fields;
    appendLittleEndian(fields, 20, 2);      // version needed: 2.0
    appendLittleEndian(fields, 0x0800, 2);  // names are UTF-8
    appendLittleEndian(fields, 0, 2);       // stored
    appendLittleEndian(fields, kDosTime, 2);
    appendLittleEndian(fields, kDosDate, 2);
    appendLittleEndian(fields, crc32(content), 4);
    appendLittleEndian(fields, static_cast<std::uint32_t>(content.size()), 4);
    appendLittleEndian(fields, static_cast<std::uint32_t>(content.size()), 4);
    appendLittleEndian(fields, static_cast<std::uint32_t>(name.size()), 2);
    appendLittleEndian(fields, 0, 2);  // no extra field
    return fields;
}

std::string pdfEscape(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '(' || c == ')' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

namespace SampleFiles {

std::string png(int size) {
    std::string header;
    appendBigEndian32(header, static_cast<std::uint32_t>(size));
    appendBigEndian32(header, static_cast<std::uint32_t>(size));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits per sample, RGB, no interlace
    std::string out = "\x89PNG\r\n\x1A\n";
    appendPngChunk(out, "IHDR", header);
    appendPngChunk(out, "IDAT", zlibStored(bubbleImageRows(size)));
    appendPngChunk(out, "IEND", "");
    return out;
}

std::string pdf(const std::string& text) {
    const std::string content = "BT /F1 18 Tf 24 64 Td (" + pdfEscape(text) + ") Tj ET\n";
    const std::string objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 360 144] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    std::string out = "%PDF-1.4\n";
    std::string crossReference = "xref\n0 6\n0000000000 65535 f \n";
    int number = 1;
    for (const auto& object : objects) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", out.size());
        crossReference += entry;
        out += std::to_string(number++) + " 0 obj\n" + object + "\nendobj\n";
    }
    const std::size_t crossReferenceOffset = out.size();
    return out + crossReference + "trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n" +
           std::to_string(crossReferenceOffset) + "\n%%EOF\n";
}

std::string zip(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out, directory;
    for (const auto& [name, content] : entries) {
        const auto localHeaderOffset = static_cast<std::uint32_t>(out.size());
        appendLittleEndian(out, 0x04034B50, 4);
        out += zipEntryFields(name, content) + name + content;
        appendLittleEndian(directory, 0x02014B50, 4);
        appendLittleEndian(directory, 20, 2);  // made by: 2.0
        directory += zipEntryFields(name, content);
        appendLittleEndian(directory, 0, 2);  // no comment
        appendLittleEndian(directory, 0, 2);  // disk 0
        appendLittleEndian(directory, 0, 2);  // internal attributes
        appendLittleEndian(directory, 0, 4);  // external attributes
        appendLittleEndian(directory, localHeaderOffset, 4);
        directory += name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    appendLittleEndian(out, 0x06054B50, 4);
    appendLittleEndian(out, 0, 4);  // this disk, the directory's disk
    appendLittleEndian(out, static_cast<std::uint32_t>(entries.size()), 2);
    appendLittleEndian(out, static_cast<std::uint32_t>(entries.size()), 2);
    appendLittleEndian(out, static_cast<std::uint32_t>(directory.size()), 4);
    appendLittleEndian(out, directoryOffset, 4);
    appendLittleEndian(out, 0, 2);  // no comment
    return out;
}

}  // namespace SampleFiles
