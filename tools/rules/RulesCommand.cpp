#include "tools/rules/RulesCommand.h"

#include <charconv>
#include <istream>
#include <ostream>
#include <sstream>

#include "core/modLinkSearch.h"
#include "core/modSolver.h"

namespace RulesCommand {
namespace {

constexpr std::size_t kMaxBoardText = std::size_t{64} * 1024;

const char kUsage[] =
    "usage: tilelink-rules check-link R1 C1 R2 C2 < board\n"
    "       tilelink-rules find-pair < board\n"
    "       tilelink-rules solvable [--limit N] [--moves] < board\n"
    "board: 10 lines of 18 blank-separated tile codes (0 empty, 1..39 tiles)\n";

// A whole decimal number of the text, or false.
bool ParseNumber(const std::string& text, unsigned long long& value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

std::string Cell(CellPos p) { return std::to_string(p.row) + "," + std::to_string(p.col); }

void PrintPath(std::ostream& out, bool found, const LinkPath& path) {
    if (!found) {
        out << "no\n";
        return;
    }
    out << "yes";
    for (int i = 0; i < path.lngNodeCount; ++i) out << ' ' << Cell(path.Node(i));
    out << '\n';
}

int BadInput(std::ostream& err, const std::string& message) {
    err << "tilelink-rules: " << message << '\n';
    return kExitBadInput;
}

bool ParseCell(const std::string& rowText, const std::string& colText, CellPos& cell, std::string& error) {
    unsigned long long r = 0, c = 0;
    if (!ParseNumber(rowText, r) || r >= static_cast<unsigned>(GameSize::kRows)) {
        error = "row '" + rowText + "' is not 0..9";
        return false;
    }
    if (!ParseNumber(colText, c) || c >= static_cast<unsigned>(GameSize::kCols)) {
        error = "column '" + colText + "' is not 0..17";
        return false;
    }
    cell = {static_cast<int>(r), static_cast<int>(c)};
    return true;
}

struct SolveOptions {
    std::uint64_t limit = modSolver::kDefaultNodeLimit;
    bool moves = false;
};

bool ParseSolveOptions(const std::vector<std::string>& args, SolveOptions& options, std::string& error) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--moves") {
            options.moves = true;
        } else if (args[i] == "--limit" && i + 1 < args.size()) {
            unsigned long long n = 0;
            if (!ParseNumber(args[i + 1], n) || n == 0) {
                error = "--limit needs a number above 0";
                return false;
            }
            options.limit = n;
            ++i;
        } else {
            error = "unknown option '" + args[i] + "'";
            return false;
        }
    }
    return true;
}

void PrintSolve(std::ostream& out, const modSolver::SolveResult& result, bool moves) {
    switch (result.outcome) {
        case modSolver::SolveOutcome::Solvable:
            out << "yes\n";
            break;
        case modSolver::SolveOutcome::Unsolvable:
            out << "no\n";
            break;
        case modSolver::SolveOutcome::Unknown:
            out << "unknown\n";
            break;
    }
    out << "nodes " << result.lngNodes << '\n';
    if (moves)
        for (const auto& [a, b] : result.moves) out << Cell(a) << ' ' << Cell(b) << '\n';
}

}  // namespace

bool ReadBoard(std::istream& in, TileGridT& grid, std::string& error) {
    std::string text(kMaxBoardText + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxBoardText) {
        error = "the board text is longer than a board can be";
        return false;
    }

    TileGridT read{};
    int rows = 0;
    std::istringstream lines(text);
    std::string line;
    for (int lineNo = 1; std::getline(lines, line); ++lineNo) {
        std::istringstream fields(line);
        std::vector<std::string> codes;
        for (std::string f; fields >> f;) codes.push_back(f);
        if (codes.empty()) continue;  // blank lines carry nothing
        const std::string where = "line " + std::to_string(lineNo);
        if (rows == GameSize::kRows) {
            error = where + ": a board has only 10 rows";
            return false;
        }
        if (codes.size() != static_cast<std::size_t>(GameSize::kCols)) {
            error = where + ": 18 codes expected, " + std::to_string(codes.size()) + " found";
            return false;
        }
        for (int c = 0; c < GameSize::kCols; ++c) {
            unsigned long long v = 0;
            if (!ParseNumber(codes[c], v) || v > static_cast<unsigned>(GameSize::kTileKinds)) {
                error = where + ", column " + std::to_string(c) + ": '" + codes[c] + "' is not a tile code 0..39";
                return false;
            }
            read[rows][c] = static_cast<std::uint8_t>(v);
        }
        ++rows;
    }
    if (rows != GameSize::kRows) {
        error = "10 rows expected, " + std::to_string(rows) + " found";
        return false;
    }
    grid = read;
    return true;
}

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return kExitBadInput;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return 0;
    }
    if (command != "check-link" && command != "find-pair" && command != "solvable") {
        err << "tilelink-rules: unknown command '" << command << "'\n" << kUsage;
        return kExitBadInput;
    }

    std::string error;
    CellPos p1, p2;
    SolveOptions solve;
    if (command == "check-link") {
        if (args.size() != 5) return BadInput(err, "check-link needs R1 C1 R2 C2");
        if (!ParseCell(args[1], args[2], p1, error) || !ParseCell(args[3], args[4], p2, error))
            return BadInput(err, error);
    } else if (command == "find-pair") {
        if (args.size() != 1) return BadInput(err, "find-pair takes no arguments");
    } else if (!ParseSolveOptions(args, solve, error)) {
        return BadInput(err, error);
    }

    TileGridT grid{};
    if (!ReadBoard(in, grid, error)) return BadInput(err, "bad board: " + error);

    LinkPath path;
    if (command == "check-link") {
        PrintPath(out, modLinkSearch::CheckLink(grid, p1, p2, path), path);
        return 0;
    }
    if (command == "find-pair") {
        PrintPath(out, modLinkSearch::FindLinkPair(grid, path), path);
        return 0;
    }
    PrintSolve(out, modSolver::SolveBoard(grid, solve.limit), solve.moves);
    return 0;
}

}  // namespace RulesCommand
