#include "script_commands.h"

#include <filesystem>
#include <fstream>

#include "file_access.h"
#include "scene_index.h"
#include "script_files.h"
#include "script_save_file.h"
#include "script_text.h"

namespace fs = std::filesystem;

namespace {
struct Scene {
    std::vector<std::uint8_t> bytes;
    SceneIndex index;
    ByteView view() const { return ByteView(bytes.data(), bytes.size()); }
};

int fail(std::ostream& err, const std::string& what) {
    err << "quill: " << what << '\n';
    return 2;
}

bool load(const std::string& path, Scene& s, std::ostream& err) {
    if (auto r = readWholeFile(path, s.bytes); !r) {
        fail(err, "cannot read " + path + ": " + r.error);
        return false;
    }
    s.index = buildSceneIndex(s.view());
    return true;
}

bool readFile(const std::string& path, std::string& out) {
    std::vector<std::uint8_t> b;
    if (!readWholeFile(path, b))
        return false;
    out.assign(b.begin(), b.end());
    return true;
}

// `quill scripts VERB SCENE DIR`: checks the arguments and loads SCENE.
bool loadForFolder(const std::vector<std::string>& args, const std::string& verb, Scene& s,
                   std::ostream& err) {
    if (args.size() != 4) {
        fail(err, "usage: quill scripts " + verb + " SCENE DIR");
        return false;
    }
    return load(args[2], s, err);
}

// The entry named by `ref`, which must have a script.
std::optional<std::size_t> scriptEntry(const Scene& s, const std::string& ref, std::ostream& err) {
    const auto e = resolveEntry(s.index, ref);
    if (!e) {
        fail(err, "no entry " + ref);
        return std::nullopt;
    }
    if (!locateScript(s.view(), s.index, *e)) {
        fail(err, "entry " + ref + " has no script");
        return std::nullopt;
    }
    return e;
}

// `quill script VERB SCENE ENTRY ...`: checks the argument count, loads SCENE
// and finds ENTRY, which must have a script.
std::optional<std::size_t> loadScriptEntry(const std::vector<std::string>& args, std::size_t count,
                                           const std::string& usage, Scene& s, std::ostream& err) {
    if (args.size() != count) {
        fail(err, "usage: quill script " + usage);
        return std::nullopt;
    }
    if (!load(args[2], s, err))
        return std::nullopt;
    return scriptEntry(s, args[3], err);
}

// Saves one script with the same operation as the editor's "Save".
bool save(const std::string& path, const Scene& s, std::size_t entry, const std::string& text,
          std::ostream& err, std::uint64_t& newLength) {
    const auto span = locateScript(s.view(), s.index, entry);
    const ScriptFileSave r =
        saveScriptFile(path, s.view(), s.index, entry, text, span ? span->textLength : 0);
    if (!r.ok) {
        fail(err, "cannot save the script in " + path + ": " + r.error);
        return false;
    }
    newLength = r.newLength;
    return true;
}
} // namespace

int cmdScriptGet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Scene s;
    const auto e = loadScriptEntry(args, 4, "get SCENE ENTRY", s, err);
    if (!e)
        return 2;
    const std::string text = *readScript(s.view(), s.index, *e);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return 0;
}

int cmdScriptSet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Scene s;
    const auto e = loadScriptEntry(args, 5, "set SCENE ENTRY FILE", s, err);
    if (!e)
        return 2;
    std::string text;
    if (!readFile(args[4], text))
        return fail(err, "cannot read " + args[4]);
    std::uint64_t length = 0;
    if (!save(args[2], s, *e, text, err, length))
        return 2;
    out << length << '\n';
    return 0;
}

int cmdScriptsExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Scene s;
    if (!loadForFolder(args, "export", s, err))
        return 2;
    const fs::path dir(args[3]);
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec)
        return fail(err, "cannot create " + dir.string() + ": " + ec.message());
    const auto names = scriptFileNames(s.index);
    std::size_t written = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto text = names[i].empty() ? std::nullopt : readScript(s.view(), s.index, i);
        if (!text)
            continue;
        std::ofstream f(dir / fs::u8path(names[i]), std::ios::binary);
        f.write(text->data(), static_cast<std::streamsize>(text->size()));
        if (!f)
            return fail(err, "cannot write " + (dir / names[i]).string());
        ++written;
    }
    out << written << " scripts written to " << dir.string() << '\n';
    return 0;
}

int cmdScriptsImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Scene s;
    if (!loadForFolder(args, "import", s, err))
        return 2;
    const fs::path dir(args[3]);
    if (!fs::is_directory(dir))
        return fail(err, "no folder " + dir.string());
    const auto names = scriptFileNames(s.index);
    std::size_t saved = 0;
    // Each save moves the bytes behind it, so the scene is re-read after every one.
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string text;
        if (names[i].empty() || !readFile((dir / fs::u8path(names[i])).string(), text))
            continue;
        const auto current = readScript(s.view(), s.index, i);
        if (!current || *current == text)
            continue;
        std::uint64_t length = 0;
        if (!save(args[2], s, i, text, err, length))
            return 2;
        out << "saved " << names[i] << '\n';
        ++saved;
        if (!load(args[2], s, err))
            return 2;
    }
    out << saved << " scripts saved\n";
    return 0;
}
