// Pure pieces of the page script injection: preparing the script text from its file and putting
// it (and the sound element) into a page body.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace proxy {

// Inserted right after the page's head tag when the sound alert is on.
extern const char kSoundElement[];

// Largest script file that is loaded; a larger one is left unused.
constexpr size_t kMaxScriptFileBytes = 1024 * 1024;

// The statement that points the sound element at wavPath, with every backslash turned into a
// forward slash so that the path reads as a URL inside the script.
std::string SoundStatement(const std::string& wavPath);

// The script ready for injection from the file's text. Without a "%s" it is the text as it
// stands. With playWave, the first "%s" becomes the sound statement for wavPath and each "%%"
// one "%" (no other "%" sequence is interpreted); without it the first "%s" becomes two spaces
// and nothing else changes.
std::string PrepareScriptText(const std::string& fileText, bool playWave,
                              const std::string& wavPath);

// True when a body is worth injecting into: it holds "<html>" or "<body" (in any case), or a
// "<scr" that is neither its first bytes nor right after a quote (a fragment with a real script
// tag rather than one inside a string).
bool IsInjectablePage(std::string_view body);

// Where the script goes: after a leading UTF-8 byte-order mark, and after a leading XML
// declaration and <!DOCTYPE ...> (blanks in front allowed) so both stay at the start of the page.
size_t ScriptInsertOffset(const std::string& body);

// What the first bytes of a body tell about it: whether it is worth injecting into
// (IsInjectablePage), where the script goes (ScriptInsertOffset) and, with soundElement, where
// the sound element goes (InsertScript's rule; npos for nowhere). kUndecided while more bytes
// could still change any of them; a decision never changes as more bytes come, so deciding on
// the first bytes gives what the whole body would give. complete: start is the whole body.
struct PageStart {
    enum class Verdict { kUndecided, kNotPage, kPage };
    Verdict verdict = Verdict::kUndecided;
    size_t scriptAt = 0;
    size_t soundAt = std::string::npos;
};
PageStart ReadPageStart(std::string_view start, bool complete, bool soundElement);

// Puts script into body at offset; with soundElement also puts kSoundElement right after the
// first "<head>" (or, when there is none, the first "<HEAD>") of the page when more bytes follow
// the tag. Builds the new body in one allocation.
void InsertScript(std::string& body, const std::string& script, size_t offset, bool soundElement);

}  // namespace proxy
