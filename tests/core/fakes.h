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

enum class ClipOp { HasText, GetText, SetText, Clear };

class ClipboardFake : public Clipboard {
  public:
    // Current contents: nullopt means the clipboard offers no text (empty, or a picture).
    std::optional<std::u16string> text;
    // Every call, in order, so tests can check the exact sequence of operations.
    std::vector<ClipOp> calls;
    // Operations that fail: a failure is consumed each time it fires. Put the same op
    // several times to fail it several times; failAll makes every call of the op fail.
    std::deque<ClipOp> failNext;
    std::vector<ClipOp> failAll;
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

    // Another program puts `t` on the clipboard (nullopt: something that is not text).
    void Put(std::optional<std::u16string> t) {
        text = std::move(t);
        ++changeCount;
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
    void SetText(const std::u16string& t) override {
        Enter(ClipOp::SetText);
        Put(t);
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
            if (f == op) throw ClipboardError("fake failure");
        for (auto it = failNext.begin(); it != failNext.end(); ++it) {
            if (*it == op) {
                failNext.erase(it);
                throw ClipboardError("fake failure");
            }
        }
    }
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
    bool IsOpen() const override { return open; }
};

struct ShownMessage {
    std::u16string text;
    MessageKind kind;
};

class MessageBoxesFake : public MessageBoxes {
  public:
    std::vector<ShownMessage> shown;
    Answer answer = Answer::Ok;
    bool fail = false;
    Answer Show(const std::u16string& text, MessageKind kind) override {
        shown.push_back({text, kind});
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
