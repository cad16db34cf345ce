// Test doubles for the clipboard core: a clipboard that can fail any operation on demand,
// and the window's list, text box and message boxes.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "clipboard/clipboard.h"
#include "clipboard/ports.h"

namespace talvex::testing {

// Privacy marks as programs put them on the clipboard, each with the data it carries.
inline const std::string kOneZeroByte(1, '\0');
inline const std::string kTwoZeroBytes(2, '\0');
inline const std::string kNumber0("\0\0\0\0", 4);  // a 32-bit 0
inline const std::string kNumber1("\1\0\0\0", 4);  // a 32-bit 1, low byte first

// Each mark alone, the yes of the two that can say yes, and all four refusals together; named
// as the clip helper's "private" mode takes them, and whether the watcher keeps the text out.
struct MarkedKind {
    const char* name;
    TextPrivacy marks;
    bool privateText;
};
// Made from strings of its own: the order in which the files that include this header make
// their globals is not fixed, and the constants above may not be made yet.
inline const std::vector<MarkedKind> kMarkedKinds = [] {
    const std::string oneZeroByte(1, '\0');
    const std::string twoZeroBytes(2, '\0');
    const std::string number0("\0\0\0\0", 4);
    const std::string number1("\1\0\0\0", 4);
    return std::vector<MarkedKind>{
        {"exclude", {.notForMonitors = oneZeroByte}, true},
        {"ignore", {.notForViewers = twoZeroBytes}, true},
        {"history0", {.systemHistory = number0}, true},
        {"history1", {.systemHistory = number1}, false},
        // Only the user's other devices are refused: the history is not its concern.
        {"cloud0", {.cloudUpload = number0}, false},
        {"cloud1", {.cloudUpload = number1}, false},
        {"exclude,ignore,history0,cloud0",
         {.notForMonitors = oneZeroByte,
          .notForViewers = twoZeroBytes,
          .systemHistory = number0,
          .cloudUpload = number0},
         true},
    };
}();

enum class ClipOp { HasText, GetText, ReadText, SetText, SetMarkedText, Clear };

class ClipboardFake : public Clipboard {
  public:
    // Current contents: nullopt means the clipboard offers no text (nothing, or a picture).
    std::optional<std::u16string> text;
    // The marks its owner put on that text.
    TextPrivacy privacy;
    // Something that is not text is on the clipboard (a picture, say); any change takes it.
    bool picture = false;
    // Every call, in order, so tests can check the exact sequence of operations.
    std::vector<ClipOp> calls;
    // Operations that fail: a failure is consumed each time it fires. Put the same op
    // several times to fail it several times; failAll makes every call of the op fail.
    std::deque<ClipOp> failNext;
    std::vector<ClipOp> failAll;
    ClipboardFailure failure = ClipboardFailure::Busy;  // what a failing call raises
    // Texts handed out by the next GetText calls, in order, instead of `text` (to model
    // another program changing the clipboard between two reads of one tick). The change count
    // does not follow them: for a watcher without a counter.
    std::deque<std::u16string> scriptedReads;
    // The system's change count: it moves with every change of the clipboard, whoever makes
    // it, and only then.
    unsigned long changeCount = 1;
    // Runs once, inside the next GetText, just after the text is taken: another program
    // changing the clipboard in the middle of a tick.
    std::function<void()> duringNextRead;

    // Another program puts `t` on the clipboard (nullopt: nothing).
    void Put(std::optional<std::u16string> t, const TextPrivacy& marks = {}) {
        text = std::move(t);
        privacy = marks;
        picture = false;
        ++changeCount;
    }
    // Another program puts a picture on the clipboard, and nothing else.
    void PutPicture() {
        Put(std::nullopt);
        picture = true;
    }

    bool HasText() override {
        Enter(ClipOp::HasText);
        return text.has_value();
    }
    std::u16string GetText() override {
        Enter(ClipOp::GetText);
        std::u16string read = text.value_or(u"");
        if (!scriptedReads.empty()) {
            read = std::move(scriptedReads.front());
            scriptedReads.pop_front();
        }
        if (duringNextRead) std::exchange(duringNextRead, nullptr)();
        return read;
    }
    ClipboardText ReadText() override {
        Enter(ClipOp::ReadText);
        return {text, privacy};
    }
    void SetText(const std::u16string& t) override {
        Enter(ClipOp::SetText);
        Put(t);
    }
    void SetMarkedText(const std::u16string& t, const TextPrivacy& marks) override {
        Enter(ClipOp::SetMarkedText);
        Put(t, marks);
    }
    void Clear() override {
        Enter(ClipOp::Clear);
        Put(std::nullopt);
    }
    int Count(ClipOp op) const {
        int n = 0;
        for (ClipOp c : calls) n += (c == op);
        return n;
    }

  private:
    void Enter(ClipOp op) {
        calls.push_back(op);
        for (ClipOp f : failAll)
            if (f == op) throw ClipboardError(failure);
        for (auto it = failNext.begin(); it != failNext.end(); ++it) {
            if (*it == op) {
                failNext.erase(it);
                throw ClipboardError(failure);
            }
        }
    }
};

// A ClipboardFake as the program's watcher reads it: a private text reads as no text at all.
class WatchedClipboardFake : public Clipboard {
  public:
    explicit WatchedClipboardFake(ClipboardFake& clip) : clip_(clip) {}
    bool HasText() override { return clip_.HasText() && !clip_.privacy.IsPrivate(); }
    std::u16string GetText() override {
        const bool hidden = clip_.privacy.IsPrivate();
        std::u16string text = clip_.GetText();
        return hidden ? u"" : text;
    }
    ClipboardText ReadText() override {
        ClipboardText found = clip_.ReadText();
        if (found.privacy.IsPrivate()) found.text.reset();
        return found;
    }
    void SetText(const std::u16string& t) override { clip_.SetText(t); }
    void SetMarkedText(const std::u16string& t, const TextPrivacy& marks) override {
        clip_.SetMarkedText(t, marks);
    }
    void Clear() override { clip_.Clear(); }

  private:
    ClipboardFake& clip_;
};

// The change count of a ClipboardFake, as the system keeps it.
class ChangeCounterFake : public ClipboardChangeCounter {
  public:
    explicit ChangeCounterFake(const ClipboardFake& clip) : clip_(clip) {}
    unsigned long Current() override { return clip_.changeCount; }

  private:
    const ClipboardFake& clip_;
};

class HistoryListFake : public HistoryList {
  public:
    std::vector<std::u16string> items;
    void Append(const std::u16string& e) override { items.push_back(e); }
    void RemoveAll() override { items.clear(); }
    std::size_t Count() const override { return items.size(); }
    std::u16string At(std::size_t i) const override { return items.at(i); }
};

class TextBoxFake : public TextBox {
  public:
    std::u16string text;
    const std::u16string& Text() const override { return text; }
    void SetText(std::u16string t) override { text = std::move(t); }
};

class ToolsPanelFake : public ToolsPanel {
  public:
    bool open = false;
    void Open() override { open = true; }
    void Close() override { open = false; }
};

struct ShownMessage {
    MessageKind kind;
    std::size_t count;
};

class MessageBoxesFake : public MessageBoxes {
  public:
    std::vector<ShownMessage> shown;
    Answer answer = Answer::Ok;
    bool fail = false;
    Answer Show(MessageKind kind, std::size_t count) override {
        shown.push_back({kind, count});
        if (fail) throw std::runtime_error("message box failed");
        return answer;
    }
};

// ASCII-only mapping: enough to tell which conversion ran without depending on the
// platform's linguistic tables.
class CaseMapperFake : public CaseMapper {
  public:
    std::u16string ToUpper(const std::u16string& t) override {
        std::u16string r = t;
        for (auto& c : r)
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        return r;
    }
    std::u16string ToLower(const std::u16string& t) override {
        std::u16string r = t;
        for (auto& c : r)
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        return r;
    }
};

}  // namespace talvex::testing
