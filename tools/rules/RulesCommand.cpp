#include "tools/rules/RulesCommand.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdint>
#include <istream>
#include <ostream>
#include <sstream>

#include "core/CommandLine.h"
#include "core/modLinkSearch.h"
#include "core/modSolver.h"

namespace RulesCommand {
namespace {

constexpr std::size_t kMaxBoardText = std::size_t{64} * 1024;

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

struct SolveOptions {
    std::uint64_t limit = modSolver::kDefaultNodeLimit;
    bool moves = false;
};

// The commands and their arguments.
void Describe(CLI::App& app, CellPos& p1, CellPos& p2, SolveOptions& solve) {
    app.require_subcommand(1);
    CLI::App* link = app.add_subcommand("check-link", "yes and the path's nodes as ROW,COL, or no");
    for (auto [name, cell] : {std::pair{"R1", &p1.row}, {"C1", &p1.col}, {"R2", &p2.row}, {"C2", &p2.col}})
        link->add_option(name, *cell, name[0] == 'R' ? "row 0..9" : "column 0..17")
            ->required()
            ->check(CommandLine::Whole(0, (name[0] == 'R' ? GameSize::kRows : GameSize::kCols) - 1));
    app.add_subcommand("find-pair", "the same for the first linkable pair of the board");
    CLI::App* solvable = app.add_subcommand(
        "solvable",
        "yes, no or unknown (node limit reached), the number of boards the search stood on, then with "
        "--moves the removals in order");
    solvable->add_option("--limit", solve.limit, "the most boards the search stands on")
        ->check(CommandLine::Whole(1, INT64_MAX))
        ->type_name("N");
    solvable->add_flag("--moves", solve.moves, "the removals in order");
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
    CLI::App app(
        "tilelink-rules: the board rules for a board on standard input: 10 lines of 18 blank-separated "
        "tile codes (0 empty, 1..39 tiles), row 0 first.",
        "tilelink-rules");
    CommandLine::Prepare(app);
    CellPos p1, p2;
    SolveOptions solve;
    Describe(app, p1, p2, solve);
    std::string error;
    bool help = false;
    if (!CommandLine::Read(app, args, error, help)) {
        if (!help) return BadInput(err, error);
        out << error;
        return 0;
    }
    const std::string command = app.get_subcommands().front()->get_name();

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
