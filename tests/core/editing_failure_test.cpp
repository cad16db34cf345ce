// The editing model when memory runs out: every change either happens whole or not at all.
// Allocations are made to fail on demand, one at a time (tests/core/failing_allocations.h).
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "editing/text_document.h"
#include "editing/text_editor.h"
#include "tests/core/failing_allocations.h"

namespace talvex::testing {
namespace {

// Calls `attempt` with the first allocation failing, then the second, and so on until it
// runs through; `afterFailure` checks each failed attempt. Returns how many failed.
int FailEachAllocationInTurn(const std::function<void()>& prepare,
                             const std::function<void()>& attempt,
                             const std::function<void()>& afterFailure) {
    for (long allowed = 0;; ++allowed) {
        prepare();
        allocationsBeforeFailure = allowed;
        try {
            attempt();
        } catch (const std::bad_alloc&) {
            allocationsBeforeFailure = -1;
            afterFailure();
            if (::testing::Test::HasFailure()) return static_cast<int>(allowed) + 1;
            continue;
        }
        allocationsBeforeFailure = -1;
        return static_cast<int>(allowed);
    }
}

// --- The document ---------------------------------------------------------------------------

struct DocumentState {
    std::u16string text;
    std::vector<std::size_t> lineStarts;
    std::size_t longestLine;
    std::uint64_t version;
    bool operator==(const DocumentState&) const = default;
};

DocumentState StateOf(const TextDocument& doc) {
    DocumentState state{doc.Text(), {}, doc.LongestLine(), doc.Version()};
    for (std::size_t line = 0; line < doc.LineCount(); ++line)
        state.lineStarts.push_back(doc.LineStart(line));
    return state;
}

void ExpectDocumentUnchangedOnFailure(const std::u16string& initial,
                                      const std::function<void(TextDocument&)>& change) {
    std::unique_ptr<TextDocument> doc;
    DocumentState before;
    const int failures = FailEachAllocationInTurn(
        [&] {
            doc = std::make_unique<TextDocument>();
            doc->SetText(initial);
            before = StateOf(*doc);
        },
        [&] { change(*doc); }, [&] { EXPECT_EQ(StateOf(*doc), before); });
    EXPECT_GT(failures, 0) << "the change never allocated: nothing was tried";
}

TEST(EditingFailureTest, DocumentReplaceHappensWholeOrNotAtAll) {
    // More lines into the middle than the starts have room for.
    ExpectDocumentUnchangedOnFailure(u"premier\r\ndeuxième\rtroisième\n", [](TextDocument& doc) {
        doc.Replace(5, 6, u"\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\r\n\r\n\r\n\r\n\r\n");
    });
}

TEST(EditingFailureTest, DocumentReplaceJoiningABreakFailsCleanly) {
    // The LF makes a CR LF with the CR before it, and the text must grow.
    ExpectDocumentUnchangedOnFailure(
        u"premier\rdeuxième ligne assez longue",
        [](TextDocument& doc) { doc.Replace(8, 0, u"\nplus de texte qu'il n'y a de place"); });
}

TEST(EditingFailureTest, DocumentSetTextHappensWholeOrNotAtAll) {
    ExpectDocumentUnchangedOnFailure(
        u"a\r\nb", [](TextDocument& doc) { doc.SetText(std::u16string(200, u'\n') + u"fin"); });
}

// --- The editor -----------------------------------------------------------------------------

using Snapshot = std::tuple<std::u16string, std::size_t, std::size_t>;

// Everything an editor shows and can still do: its text and selection, then the same after
// each step it can undo, then after each step it can redo again.
std::vector<Snapshot> Walk(TextEditor& editor) {
    std::vector<Snapshot> seen{{editor.Text(), editor.Anchor(), editor.Caret()}};
    while (editor.Undo()) seen.emplace_back(editor.Text(), editor.Anchor(), editor.Caret());
    while (editor.Redo()) seen.emplace_back(editor.Text(), editor.Anchor(), editor.Caret());
    seen.emplace_back(u"lines", editor.Document().LineCount(), 0);
    return seen;
}

class CountingObserver : public TextEditor::Observer {
  public:
    void OnTextReset() override { ++heard; }
    void OnTextChanged(const TextChange&) override { ++heard; }
    void OnSelectionChanged() override { ++heard; }
    int heard = 0;
};

// Runs `change` on editors made by `prepare`, failing each allocation in turn; a failed
// change must leave the editor as an untouched one, history included, and unheard of.
// Returns how many attempts failed.
int ExpectEditorUnchangedOnFailure(const std::function<void(TextEditor&)>& prepare,
                                   const std::function<void(TextEditor&)>& change) {
    TextEditor reference;
    prepare(reference);
    const std::vector<Snapshot> expected = Walk(reference);

    std::unique_ptr<TextEditor> editor;
    CountingObserver observer;
    return FailEachAllocationInTurn(
        [&] {
            editor = std::make_unique<TextEditor>();
            prepare(*editor);
            observer.heard = 0;
            editor->SetObserver(&observer);
        },
        [&] { change(*editor); },
        [&] {
            EXPECT_EQ(observer.heard, 0);
            editor->SetObserver(nullptr);
            EXPECT_EQ(Walk(*editor), expected);
        });
}

// A history of a few steps, the caret at the end of the last typing, and the text's storage
// full so that one more unit must move it.
void TypedUntilFull(TextEditor& editor) {
    editor.SetText(u"Anticonstitutionnellement écrit,\r\nsur deux lignes.");
    editor.MoveDocumentEnd(false);
    editor.Type(u" Ajouté");
    editor.MoveDocumentStart(false);
    editor.DeleteForward();
    editor.MoveDocumentEnd(false);
    editor.Type(u"x");
    while (editor.Text().size() < editor.Text().capacity()) editor.Type(u"x");
}

TEST(EditingFailureTest, EveryEditHappensWholeOrNotAtAll) {
    struct Case {
        const char* name;
        std::function<void(TextEditor&)> before;  // done before the failures begin
        std::function<void(TextEditor&)> change;
    };
    const auto nothing = [](TextEditor&) {};
    const std::vector<Case> cases = {
        {"typing that joins the last step", nothing, [](TextEditor& e) { e.Type(u"y"); }},
        {"typing a new step", [](TextEditor& e) { e.Select(3, 12); },
         [](TextEditor& e) { e.Type(u"nouveau texte plus long"); }},
        {"Enter", nothing, [](TextEditor& e) { e.InsertLineBreak(); }},
        {"paste over a selection", [](TextEditor& e) { e.SelectAll(); },
         [](TextEditor& e) { e.ReplaceSelection(u"tout autre chose\r\nsur deux lignes"); }},
        {"replacement without undo", [](TextEditor& e) { e.MoveDocumentStart(false); },
         [](TextEditor& e) { e.ReplaceSelection(u"devant, sans retour possible\n", false); }},
        {"Ctrl+Delete", [](TextEditor& e) { e.MoveDocumentStart(false); },
         [](TextEditor& e) { e.DeleteWordForward(); }},
        {"undo", nothing, [](TextEditor& e) { e.Undo(); }},
        {"redo",
         [](TextEditor& e) {
             e.SelectAll();
             e.Type(u"z");
             e.Undo();
         },
         [](TextEditor& e) { e.Redo(); }},
        {"a whole new text", nothing, [](TextEditor& e) { e.SetText(std::u16string(100, u'\r')); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int failures = ExpectEditorUnchangedOnFailure(
            [&](TextEditor& e) {
                TypedUntilFull(e);
                c.before(e);
            },
            c.change);
        EXPECT_GT(failures, 0) << "the change never allocated: nothing was tried";
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(EditingFailureTest, ANewStepFailsCleanlyWhateverTheLengthOfTheHistory) {
    // Somewhere along a growing history the list of steps itself needs more room.
    int failures = 0;
    for (int steps = 0; steps < 40; ++steps) {
        SCOPED_TRACE(steps);
        failures += ExpectEditorUnchangedOnFailure(
            [&](TextEditor& e) {
                e.SetText(u"abc");
                for (int i = 0; i < steps; ++i) {
                    e.MoveDocumentStart(false);  // away from the last typing: a step each
                    e.Type(u"d");
                }
                e.MoveDocumentEnd(false);
            },
            [](TextEditor& e) { e.Type(u"e"); });
        if (::testing::Test::HasFailure()) return;
    }
    EXPECT_GT(failures, 0) << "no step ever allocated: nothing was tried";
}

TEST(EditingFailureTest, JoiningBackspaceOrDeleteHappensWholeOrNotAtAll) {
    // The step's text grows as it takes in what each key takes away; somewhere along a run
    // of keys it needs more room.
    for (const bool backspace : {true, false}) {
        SCOPED_TRACE(backspace ? "Backspace" : "Delete");
        const auto key = [backspace](TextEditor& e) {
            if (backspace)
                e.Backspace();
            else
                e.DeleteForward();
        };
        int failures = 0;
        for (int before = 0; before < 30; ++before) {
            SCOPED_TRACE(before);
            failures += ExpectEditorUnchangedOnFailure(
                [&](TextEditor& e) {
                    TypedUntilFull(e);
                    if (!backspace) e.MoveDocumentStart(false);
                    for (int i = 0; i < before; ++i) key(e);
                },
                key);
            if (::testing::Test::HasFailure()) return;
        }
        EXPECT_GT(failures, 0) << "no key ever allocated: nothing was tried";
    }
}

}  // namespace
}  // namespace talvex::testing
