#include "script_commands.h"

#include <filesystem>
#include <fstream>

#include "cp1252.h"
#include "entry_argument.h"
#include "file_access.h"
#include "scene_edit.h"
#include "scene_index.h"
#include "script_files.h"
#include "script_save.h"
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

FileResult readFile(const std::string& path, std::string& out) {
    std::vector<std::uint8_t> b;
    FileResult r = readWholeFile(path, b);
    if (r)
        out.assign(b.begin(), b.end());
    return r;
}

ByteSpan spanOf(const std::string& s) {
    return ByteSpan(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

std::string entryFile(const Scene& s, std::size_t i, const fs::path& dir, const std::string& name) {
    return "entry " + std::to_string(i) + " (" + cp1252ToUtf8(s.index.entries[i].name) +
           "), file " + pathToUtf8(dir / pathFromUtf8(name));
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
    const auto e = entryArgument(s.index, ref, err);
    if (!e)
        return std::nullopt;
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
    if (auto r = readFile(args[4], text); !r)
        return fail(err, "cannot read " + args[4] + ": " + r.error);
    std::uint64_t length = 0;
    if (!save(args[2], s, *e, text, err, length))
        return 2;
    out << length << '\n';
    return 0;
}

// Every name is checked before anything is written, so a name that cannot be
// written stops the export with nothing written; each file is then written
// whole (a temporary file renamed over the name), never through a link.
int cmdScriptsExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Scene s;
    if (!loadForFolder(args, "export", s, err))
        return 2;
    const fs::path dir = pathFromUtf8(args[3]);
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir, ec))
        return fail(err, "cannot create the folder " + pathToUtf8(dir) + ": " +
                             (ec ? ec.message() : "Not a directory"));
    const auto names = scriptFileNames(s.index);
    std::vector<std::pair<std::size_t, std::string>> texts;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto text = names[i].empty() ? std::nullopt : readScript(s.view(), s.index, i);
        if (!text)
            continue;
        if (auto r = checkWritableNameInFolder(pathToUtf8(dir), names[i]); !r)
            return fail(err, "cannot write " + entryFile(s, i, dir, names[i]) + ": " + r.error +
                                 "; nothing was written");
        texts.emplace_back(i, *text);
    }
    // What the folder holds under each name now, put back when a later file
    // cannot be written: the export is all or nothing.
    std::vector<std::optional<std::vector<std::uint8_t>>> before(texts.size());
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const std::string& name = names[texts[k].first];
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(dir / pathFromUtf8(name), ec)))
            continue;
        std::vector<std::uint8_t> old;
        if (auto r = readFileInFolder(pathToUtf8(dir), name, old); !r)
            return fail(err, "cannot read " + entryFile(s, texts[k].first, dir, name) + ": " +
                                 r.error + "; nothing was written");
        before[k] = std::move(old);
    }
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const auto& [i, text] = texts[k];
        auto r = writeFileInFolder(pathToUtf8(dir), names[i], spanOf(text));
        if (r)
            continue;
        bool restored = true;
        for (std::size_t j = 0; j < k; ++j) {
            const std::string& name = names[texts[j].first];
            std::error_code ec;
            if (before[j])
                restored &= bool(writeFileInFolder(pathToUtf8(dir), name,
                                                   ByteSpan(before[j]->data(), before[j]->size())));
            else
                restored &= fs::remove(dir / pathFromUtf8(name), ec) && !ec;
        }
        return fail(err,
                    "cannot write " + entryFile(s, i, dir, names[i]) + ": " + r.error +
                        (restored ? "; the folder was left as it was"
                                  : "; the files written before it could not all be put back"));
    }
    out << texts.size() << " scripts written to " << pathToUtf8(dir) << '\n';
    return 0;
}

// All changed scripts are saved as one edit: written together or not at all.
int cmdScriptsImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Scene s;
    if (!loadForFolder(args, "import", s, err))
        return 2;
    const fs::path dir = pathFromUtf8(args[3]);
    if (std::error_code ec; !fs::is_directory(dir, ec))
        return fail(err, "no folder " + pathToUtf8(dir));
    const auto names = scriptFileNames(s.index);
    std::vector<std::pair<std::size_t, std::string>> changed;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty())
            continue;
        std::vector<std::uint8_t> bytes;
        if (auto r = checkWritableNameInFolder(pathToUtf8(dir), names[i]); !r)
            return fail(err, "cannot read " + entryFile(s, i, dir, names[i]) + ": " + r.error +
                                 "; nothing was saved");
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(dir / pathFromUtf8(names[i]), ec)))
            continue;
        if (auto r = readFileInFolder(pathToUtf8(dir), names[i], bytes); !r)
            return fail(err, "cannot read " + entryFile(s, i, dir, names[i]) + ": " + r.error +
                                 "; nothing was saved");
        const std::string text(bytes.begin(), bytes.end());
        const auto current = readScript(s.view(), s.index, i);
        if (current && *current != text)
            changed.emplace_back(i, text);
    }
    if (!changed.empty()) {
        const ScriptSaveResult plan = planScriptSaves(s.view(), s.index, changed);
        if (!plan.plan)
            return fail(err, "cannot save the scripts in " + args[2] + ": " + plan.error);
        const EditOutcome done =
            commitEdit(args[2], s.view(), s.index, plan.plan->edit, plan.plan->expect);
        if (!done.ok)
            return fail(err, "cannot save the scripts in " + args[2] + ": " + done.error);
    }
    for (const auto& c : changed)
        out << "saved " << names[c.first] << '\n';
    out << changed.size() << " scripts saved\n";
    return 0;
}
