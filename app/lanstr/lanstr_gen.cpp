// Build tool: turns the language table (lanstr.tsv) into C++ rows compiled into the program.
//
// Input: UTF-8 text, one id per line: "<id>\t<Simplified Chinese>\t<English>\t<Traditional Chinese>".
// Lines that are empty or start with '#' are comments. Cells keep every blank; the escapes "\r", "\n",
// "\t" and "\\" stand for carriage return, line feed, tab and a backslash. Ids are 0 to 799, ascending.
// Output: one "{id, "...", "...", "..."}," row per id, for a static table of LanRow.
// Any malformed line stops the build with its line number.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kIdCount = 800;

bool fail(const std::string& file, int line, const std::string& why) {
    std::cerr << file << ":" << line << ": " << why << "\n";
    return false;
}

// The table must hold valid UTF-8 only.
bool validUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        if (c < 0x80)
            extra = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            extra = 1;
        else if ((c & 0xF0) == 0xE0)
            extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= s.size()) return false;
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

// The cell as a C string literal body: escapes are checked and kept, quotes escaped, control
// characters refused.
bool cellToLiteral(const std::string& cell, std::string* out, std::string* why) {
    out->clear();
    for (size_t i = 0; i < cell.size(); ++i) {
        const char c = cell[i];
        if (c == '\\') {
            if (i + 1 >= cell.size()) {
                *why = "backslash at the end of a cell";
                return false;
            }
            const char e = cell[++i];
            if (e != 'r' && e != 'n' && e != 't' && e != '\\') {
                *why = std::string("unknown escape \\") + e;
                return false;
            }
            out->push_back('\\');
            out->push_back(e);
        } else if (c == '"') {
            out->append("\\\"");
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            *why = "control character in a cell";
            return false;
        } else {
            out->push_back(c);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: lanstr_gen <table.tsv> <out.inc>\n";
        return 2;
    }
    const std::string inName = argv[1];
    std::ifstream in(inName, std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << inName << "\n";
        return 1;
    }
    std::ostringstream body;
    std::string line;
    int lineNo = 0;
    int lastId = -1;
    int rows = 0;
    bool ok = true;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') {
            ok = fail(inName, lineNo, "carriage return in the file (write it as \\r)");
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        if (!validUtf8(line)) {
            ok = fail(inName, lineNo, "not valid UTF-8");
            continue;
        }
        std::vector<std::string> cells;
        size_t start = 0;
        for (;;) {
            const size_t tab = line.find('\t', start);
            cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (cells.size() != 4) {
            ok =
                fail(inName, lineNo, "expected 4 tab-separated cells, found " + std::to_string(cells.size()));
            continue;
        }
        int id = -1;
        if (cells[0].empty() || cells[0].find_first_not_of("0123456789") != std::string::npos ||
            cells[0].size() > 3 || (id = std::stoi(cells[0])) >= kIdCount) {
            ok = fail(inName, lineNo, "bad id '" + cells[0] + "'");
            continue;
        }
        if (id <= lastId) {
            ok = fail(inName, lineNo, "id " + cells[0] + " not above the previous id");
            continue;
        }
        lastId = id;
        body << "    {" << id;
        for (int c = 1; c <= 3; ++c) {
            std::string lit, why;
            if (!cellToLiteral(cells[c], &lit, &why)) {
                ok = fail(inName, lineNo, why);
                break;
            }
            body << ", \"" << lit << "\"";
        }
        body << "},\n";
        ++rows;
    }
    if (!ok) return 1;
    if (rows == 0) {
        std::cerr << inName << ": no rows\n";
        return 1;
    }
    // Written through a temporary so that an interrupted build never leaves half a table.
    const std::string outName = argv[2];
    const std::string tmp = outName + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << "// Generated by lanstr_gen from " << inName << "; do not edit.\n" << body.str();
        if (!out) {
            std::cerr << "cannot write " << tmp << "\n";
            return 1;
        }
    }
    if (std::rename(tmp.c_str(), outName.c_str()) != 0) {
        std::cerr << "cannot rename " << tmp << "\n";
        return 1;
    }
    return 0;
}
