// The folders of src/ form layers that are included one way only, and core files never include widgets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Lower numbers are lower layers. Folders of one layer may include each other.
const std::map<std::string, int> kLayer = {
    {"components", 0}, {"platform", 1}, {"data", 2},          {"automation", 2}, {"widgets", 3},
    {"pupils", 4},     {"questionnaires", 4}, {"graphics", 4}, {"documents", 4},  {"web", 4}, {"analysis", 4},
    {"app", 5},        {"support", 6},  {"cli", 7},
};
// Include paths of the drawing components start with the component's folder.
const std::set<std::string> kComponentFolders = {"files", "picture", "graph", "chart"};

struct Include {
    int line;
    std::string text;  // the whole #include line
    std::string path;  // what is between the quotes or angle brackets
    bool quoted;
};

std::vector<Include> includesOf(const fs::path &file) {
    static const std::regex pattern(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> result;
    std::ifstream in(file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::smatch match;
        if (std::regex_search(line, match, pattern))
            result.push_back({number, line, match[2], match[1] == "\""});
    }
    return result;
}

// Top folder of a path relative to src/ ("components" for the components' own include paths).
std::string folderOf(const std::string &relative) {
    const std::string first = relative.substr(0, relative.find('/'));
    return kComponentFolders.count(first) ? "components" : first;
}

struct Layers {
    std::set<fs::path> core, ui;
    std::vector<fs::path> widgetHeaderDirs;
};

Layers readLayers() {
    Layers layers;
    std::ifstream in(ORBELIS_LAYERS_FILE);
    std::string line;
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string kind = line.substr(0, tab);
        const fs::path path = line.substr(tab + 1);
        if (kind == "widgetheaders")
            layers.widgetHeaderDirs.push_back(path);
        else if (path.is_absolute() && fs::exists(path))
            (kind == "core" ? layers.core : layers.ui).insert(fs::canonical(path));
    }
    return layers;
}

// The file a quoted include names: relative to src/, or to src/components/ for the components.
fs::path resolve(const fs::path &src, const std::string &include) {
    const std::string first = include.substr(0, include.find('/'));
    return kComponentFolders.count(first) ? src / "components" / include : src / include;
}

std::vector<fs::path> sourceFiles(const fs::path &src) {
    std::vector<fs::path> files;
    for (const auto &entry : fs::recursive_directory_iterator(src)) {
        const auto ext = entry.path().extension();
        if (entry.is_regular_file() && (ext == ".h" || ext == ".cpp"))
            files.push_back(entry.path());
    }
    return files;
}

} // namespace

TEST(IncludeDirection, LowerFoldersNeverIncludeHigherOnes) {
    const fs::path src = fs::canonical(ORBELIS_SOURCE_DIR);
    std::vector<std::string> faults;
    for (const fs::path &file : sourceFiles(src)) {
        const std::string relative = fs::relative(file, src).generic_string();
        const std::string from = relative.substr(0, relative.find('/'));
        ASSERT_TRUE(kLayer.count(from)) << "src/" << from << "/ has no layer; add it to kLayer";
        for (const Include &include : includesOf(file)) {
            if (!include.quoted)
                continue;
            const std::string to = folderOf(include.path);
            if (!kLayer.count(to) || kLayer.at(to) <= kLayer.at(from))
                continue;
            faults.push_back("src/" + relative + ":" + std::to_string(include.line) + ": " + include.text + "  (" +
                             from + "/ may not include " + to + "/)");
        }
    }
    for (const std::string &fault : faults)
        ADD_FAILURE() << fault;
}

TEST(IncludeDirection, CoreFilesIncludeNoWidgets) {
    const fs::path src = fs::canonical(ORBELIS_SOURCE_DIR);
    const Layers layers = readLayers();
    ASSERT_FALSE(layers.core.empty());
    ASSERT_FALSE(layers.widgetHeaderDirs.empty());
    std::vector<std::string> faults;
    for (const fs::path &file : layers.core) {
        if (file.string().rfind(src.string(), 0) != 0)
            continue; // generated files
        const std::string relative = fs::relative(file, src).generic_string();
        for (const Include &include : includesOf(file)) {
            bool widget = false;
            if (include.quoted) {
                const fs::path target = resolve(src, include.path);
                widget = fs::exists(target) && layers.ui.count(fs::canonical(target));
            } else {
                for (const fs::path &dir : layers.widgetHeaderDirs)
                    widget = widget || fs::exists(dir / include.path) ||
                             include.path.rfind("QtWidgets/", 0) == 0 || include.path.rfind("QtPrintSupport/", 0) == 0;
            }
            if (widget)
                faults.push_back("src/" + relative + ":" + std::to_string(include.line) + ": " + include.text +
                                 "  (a core file includes a widget header)");
        }
    }
    for (const std::string &fault : faults)
        ADD_FAILURE() << fault;
}
