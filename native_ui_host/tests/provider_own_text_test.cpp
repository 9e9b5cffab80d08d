#include "native_ui_host/provider.h"
#include "native_ui_host/tests/provider_fixture.h"

#include "runtime/text.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using provider_ref = native_ui_host_provider&;

const std::string plain_text = "text/plain;charset=utf-8";

// Gives an operation the provider's own text itself, or an equal copy that
// lives until the call has returned.
class text_source {
public:
    explicit text_source(bool copy) : copy_(copy) {}

    const std::string& operator()(const std::string& own)
    {
        if (!copy_) {
            return own;
        }
        copies_.push_back(own);
        return copies_.back();
    }

private:
    bool copy_;
    std::deque<std::string> copies_; // a deque keeps earlier copies in place as it grows
};

template <typename T>
std::string text_of(const T& value)
{
    if constexpr (std::is_same_v<T, std::string>) {
        return value;
    } else if constexpr (std::is_same_v<T, bool>) {
        return bool_text(value);
    } else {
        return std::to_string(value);
    }
}

template <typename T>
void add_column(std::vector<std::string>& state, const std::string& name, const std::vector<T>& column)
{
    for (std::size_t i = 0; i < column.size(); ++i) {
        const T value = column[i];
        state.push_back(name + "[" + std::to_string(i) + "]=" + text_of(value));
    }
}

// The id column, and the row that the provider's lookup gives each id.
void add_ids(std::vector<std::string>& state, const std::string& name, const native_ui_host_provider& p,
             const std::vector<std::string>& ids,
             std::int32_t (native_ui_host_provider::*find)(const std::string&) const)
{
    add_column(state, name + "-id", ids);
    for (const auto& id : ids) {
        state.push_back("find-" + name + " " + id + "=" + text_of((p.*find)(id)));
    }
}

// Everything a caller can observe, one "name=value" entry each.
std::vector<std::string> observable_state(const native_ui_host_provider& p)
{
    std::vector<std::string> state = {
        "dump=" + p.diagnostic_dump(),
        "schema=" + p.schema(),
        "version=" + text_of(p.version()),
        "provider=" + p.provider(),
        "state=" + p.state(),
        "owner-thread=" + text_of(p.owner_thread()),
        "diagnostic=" + p.diagnostic(),
        "sequence=" + text_of(p.sequence()),
        "timestamp=" + text_of(p.timestamp()),
        "correlation=" + text_of(p.correlation()),
        "failures=" + text_of(p.failures()),
        "allocations=" + text_of(p.allocations()),
        "max-latency-us=" + text_of(p.max_latency_us()),
        "action-in-progress=" + text_of(p.action_in_progress()),
        "batch-depth=" + text_of(p.accessibility_batch_depth()),
        "composition-window=" + p.composition_window(),
        "composition-text=" + p.composition_text(),
        "surrounding-content=" + p.surrounding_content(),
        "selection=" + text_of(p.selection_start()) + "," + text_of(p.selection_end()),
        "replacement=" + text_of(p.replacement_start()) + "," + text_of(p.replacement_extent()),
        "caret=" + text_of(p.caret_x()) + "," + text_of(p.caret_y()) + "," + text_of(p.caret_width()) + "," +
            text_of(p.caret_height()),
        "candidate=" + text_of(p.candidate_first()) + "," + text_of(p.candidate_second()),
        "purpose=" + p.purpose(),
        "hints=" + p.hints(),
        "composition=" + text_of(p.composition()),
        "keyboard=" + text_of(p.keyboard_requested()) + "," + text_of(p.keyboard_visible()),
        "clipboard-owner=" + p.clipboard_owner(),
        "clipboard-format=" + p.clipboard_format(),
        "clipboard-data=" + p.clipboard_data(),
        "clipboard-delayed=" + text_of(p.clipboard_delayed()),
        "topology=" + text_of(p.topology()),
        "session=" + p.session(),
    };
    add_ids(state, "node", p, p.node_ids(), &native_ui_host_provider::find_node);
    add_column(state, "node-generation", p.node_generations());
    add_column(state, "node-role", p.node_roles());
    add_column(state, "node-name", p.node_names());
    add_ids(state, "display", p, p.display_ids(), &native_ui_host_provider::find_display);
    add_column(state, "display-x", p.display_x());
    add_column(state, "display-y", p.display_y());
    add_column(state, "display-width", p.display_width());
    add_column(state, "display-height", p.display_height());
    add_column(state, "work-x", p.work_x());
    add_column(state, "work-y", p.work_y());
    add_column(state, "work-width", p.work_width());
    add_column(state, "work-height", p.work_height());
    add_column(state, "display-scale", p.display_scale());
    add_column(state, "display-primary", p.display_primary());
    add_column(state, "event", p.events());
    return state;
}

bool begin_on(provider_ref p, const std::string& window, const std::string& text)
{
    return p.text_input_begin(window, text, 0, 2, 0, 0, 10, 20, 1, 16, 10, 40, "text", "none", false, true, owner, 0,
                              0);
}

// A batch open with node "first-id", a composition of "ka" on "w1" with
// surrounding text, the offer "hello" from "editor", one display, and the
// nested-batch refusal in diagnostic().
void shared_state(provider_ref p)
{
    p.initialize(true, false, owner, 0, 0);
    p.accessibility_batch_begin(owner, 0, 0);
    p.accessibility_update("first-id", 1, "first-role", "first-name", owner);
    begin_on(p, "w1", "ka");
    p.surrounding_text("w1", "around", 0, 2, 0, 0, owner, 0, 0);
    p.clipboard_set("editor", plain_text, "hello", false, true, owner, 0, 0);
    p.display_publish({"d1", 0, 0, 1920, 1080, 0, 0, 1920, 1040, 100, true}, owner);
    p.accessibility_batch_begin(owner, 0, 0);
}

void offer(provider_ref p, const std::string& owner_name, const std::string& format, const std::string& data,
           bool delayed)
{
    p.clipboard_set(owner_name, format, data, delayed, true, owner, 0, 0);
}

std::string verdict(bool result)
{
    return bool_text(result);
}

// `operation` takes every text it is to alias through the source; `result`
// is what both calls give, which shows that the case reaches its path.
struct own_text_case {
    const char* name;
    std::function<void(provider_ref)> setup; // after shared_state; may be null
    std::function<std::string(provider_ref, text_source&)> operation;
    std::string result;
};

// Calls the operation on a provider with references into its own texts and
// on one in the same state with equal copies; both must end alike.
void run_own_text_case(const own_text_case& c, std::size_t spare)
{
    SCOPED_TRACE(c.name);
    native_ui_host_provider aliased(every_capability(), owner);
    native_ui_host_provider copied(every_capability(), owner);
    for (provider_ref p : {std::ref(aliased), std::ref(copied)}) {
        shared_state(p);
        if (c.setup) {
            c.setup(p);
        }
        ASSERT_EQ(p.failures(), 1) << "setup was refused: " << p.diagnostic();
        native_ui_host_provider_test_access::leave_spare_room(p, spare);
    }
    text_source own_texts(false);
    text_source copies(true);
    std::string aliased_result;
    // A text read after it has moved can make a length out of garbage.
    EXPECT_NO_THROW(aliased_result = c.operation(aliased, own_texts));
    const std::string copied_result = c.operation(copied, copies);
    EXPECT_EQ(copied_result, c.result) << "the case does not reach the path it names";
    EXPECT_EQ(aliased_result, copied_result);
    const auto aliased_state = observable_state(aliased);
    const auto copied_state = observable_state(copied);
    EXPECT_EQ(aliased_state.size(), copied_state.size());
    for (std::size_t i = 0; i < aliased_state.size() && i < copied_state.size(); ++i) {
        EXPECT_EQ(aliased_state[i], copied_state[i]);
    }
}

TEST(provider_own_texts, an_argument_that_is_an_own_text_acts_as_an_equal_copy)
{
    using source = text_source&;
    const std::vector<own_text_case> cases = {
        // contract and event log
        {"reject: operation and reason are the diagnostic", nullptr,
         [](provider_ref p, source own) { return verdict(p.reject(own(p.diagnostic()), own(p.diagnostic()))); },
         "false"},
        {"require_ready refused: the capability is the diagnostic", nullptr,
         [](provider_ref p, source own) { return verdict(p.require_ready(stranger, own(p.diagnostic()))); }, "false"},
        {"record_host_event: every text is a log line", nullptr,
         [](provider_ref p, source own) {
             p.record_host_event(own(p.events()[0]), own(p.events()[1]), own(p.events().back()),
                                 own(p.events()[2]), 0, 0, 0);
             return std::string("done");
         },
         "done"},
        {"window_event: window and kind are log lines", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.window_event(own(p.events()[0]), own(p.events().back()), 0, 0, owner));
         },
         "true"},
        {"window_event refused: the kind is the diagnostic", nullptr,
         [](provider_ref p, source own) { return verdict(p.window_event("", own(p.diagnostic()), 0, 0, owner)); },
         "false"},
        {"provider_loss: the reason is the clipboard owner", nullptr,
         [](provider_ref p, source own) { return verdict(p.provider_loss(own(p.clipboard_owner()), owner, 0, 0)); },
         "true"},
        {"provider_loss: the reason is the clipboard data", nullptr,
         [](provider_ref p, source own) { return verdict(p.provider_loss(own(p.clipboard_data()), owner, 0, 0)); },
         "true"},
        {"provider_loss: the reason is the state", nullptr,
         [](provider_ref p, source own) { return verdict(p.provider_loss(own(p.state()), owner, 0, 0)); }, "true"},
        {"provider_loss: the reason is a log line", nullptr,
         [](provider_ref p, source own) { return verdict(p.provider_loss(own(p.events().back()), owner, 0, 0)); },
         "true"},
        {"provider_loss refused: the reason is the diagnostic", nullptr,
         [](provider_ref p, source own) { return verdict(p.provider_loss(own(p.diagnostic()), stranger, 0, 0)); },
         "false"},

        // accessibility
        {"accessibility_update, new node: role and name from the id and role columns", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.accessibility_update("n0", 1, own(p.node_ids()[0]), own(p.node_roles()[0]), owner));
         },
         "true"},
        {"accessibility_update, new node: role and name from the role and id columns", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.accessibility_update("n0", 1, own(p.node_roles()[0]), own(p.node_ids()[0]), owner));
         },
         "true"},
        {"accessibility_update, new node: id, role and name from the name column", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.accessibility_update(own(p.node_names()[0]), 1, own(p.node_names()[0]),
                                                   own(p.node_names()[0]), owner));
         },
         "true"},
        {"accessibility_update, known node: role and name swapped", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.accessibility_update(own(p.node_ids()[0]), 2, own(p.node_names()[0]),
                                                   own(p.node_roles()[0]), owner));
         },
         "true"},
        {"accessibility_update refused: the role is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.accessibility_update("n0", 0, own(p.diagnostic()), "name", owner));
         },
         "false"},
        {"accessibility_action: id from its column, action a log line", nullptr,
         [](provider_ref p, source own) {
             return verdict(
                 p.accessibility_action(own(p.node_ids()[0]), 1, own(p.events().back()), false, owner, 0, 0));
         },
         "true"},
        {"accessibility_action refused: the action is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.accessibility_action("first-id", 2, own(p.diagnostic()), false, owner, 0, 0));
         },
         "false"},

        // text input
        {"text_input_begin: window and text swapped", nullptr,
         [](provider_ref p, source own) {
             return verdict(begin_on(p, own(p.composition_text()), own(p.composition_window())));
         },
         "true"},
        {"text_input_begin: purpose and hints swapped", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_input_begin("w1", "ka", 0, 2, 0, 0, 10, 20, 1, 16, 10, 40, own(p.hints()),
                                               own(p.purpose()), false, true, owner, 0, 0));
         },
         "true"},
        {"text_input_begin: window, text, purpose and hints from one another", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_input_begin(own(p.purpose()), own(p.hints()), 0, 2, 0, 0, 10, 20, 1, 16, 10, 40,
                                               own(p.composition_text()), own(p.composition_window()), false, true,
                                               owner, 0, 0));
         },
         "true"},
        {"text_input_begin: every text is a log line", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_input_begin(own(p.events()[0]), own(p.events().back()), 0, 2, 0, 0, 10, 20, 1, 16,
                                               10, 40, own(p.events()[1]), own(p.events()[2]), false, true, owner, 0,
                                               0));
         },
         "true"},
        {"text_input_begin refused: the window is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_input_begin(own(p.diagnostic()), "ka", -1, 2, 0, 0, 10, 20, 1, 16, 10, 40, "text",
                                               "none", false, true, owner, 0, 0));
         },
         "false"},
        {"surrounding_text: the window is the surrounding content",
         [](provider_ref p) { p.surrounding_text("w1", "w1", 0, 2, 0, 0, owner, 0, 0); },
         [](provider_ref p, source own) {
             return verdict(p.surrounding_text(own(p.surrounding_content()), "next", 1, 1, 0, 0, owner, 0, 0));
         },
         "true"},
        {"surrounding_text: window its own, text a log line", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.surrounding_text(own(p.composition_window()), own(p.events().back()), 1, 1, 0, 0, owner,
                                               0, 0));
         },
         "true"},
        {"surrounding_text refused: the text is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.surrounding_text("w2", own(p.diagnostic()), 1, 1, 0, 0, owner, 0, 0));
         },
         "false"},
        {"text_input_commit: window and text its own", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_input_commit(own(p.composition_window()), own(p.composition_text()), 0, 2, owner,
                                                0, 0));
         },
         "true"},
        {"text_input_commit: the text is a log line", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_input_commit("w1", own(p.events().back()), 0, 2, owner, 0, 0));
         },
         "true"},
        {"text_input_commit refused: the text is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_input_commit("w2", own(p.diagnostic()), 0, 2, owner, 0, 0));
         },
         "false"},
        {"text_input_cancel: window and reason its own", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_input_cancel(own(p.composition_window()), own(p.composition_text()), owner, 0, 0));
         },
         "true"},
        {"text_input_cancel: the reason is a log line", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_input_cancel("w1", own(p.events().back()), owner, 0, 0));
         },
         "true"},
        {"text_input_cancel refused: the reason is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_input_cancel("w2", own(p.diagnostic()), owner, 0, 0));
         },
         "false"},
        {"text_focus_transfer: the destination is a log line", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_focus_transfer("w1", own(p.events()[0]), owner, 0, 0));
         },
         "true"},
        {"text_focus_transfer: the source is a log line",
         [](provider_ref p) { begin_on(p, std::string(p.events()[0]), "ka"); },
         [](provider_ref p, source own) {
             return verdict(p.text_focus_transfer(own(p.events()[0]), "w2", owner, 0, 0));
         },
         "true"},
        {"text_focus_transfer: the destination is the composition text", nullptr,
         [](provider_ref p, source own) {
             return verdict(
                 p.text_focus_transfer(own(p.composition_window()), own(p.composition_text()), owner, 0, 0));
         },
         "true"},
        {"text_focus_transfer: the source is the composition text", [](provider_ref p) { begin_on(p, "w1", "w1"); },
         [](provider_ref p, source own) {
             return verdict(p.text_focus_transfer(own(p.composition_text()), "w2", owner, 0, 0));
         },
         "true"},
        {"text_focus_transfer, no composition: source its window, destination a log line",
         [](provider_ref p) { p.text_input_cancel("w1", "done", owner, 0, 0); },
         [](provider_ref p, source own) {
             return verdict(
                 p.text_focus_transfer(own(p.composition_window()), own(p.events().back()), owner, 0, 0));
         },
         "true"},
        {"text_focus_transfer refused: the source is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.text_focus_transfer(own(p.diagnostic()), "w2", owner, 0, 0));
         },
         "false"},
        {"virtual_keyboard: the state is a log line", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.virtual_keyboard(true, true, own(p.events().back()), owner, 0, 0));
         },
         "true"},
        {"virtual_keyboard: the state is the composition window", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.virtual_keyboard(false, true, own(p.composition_window()), owner, 0, 0));
         },
         "true"},
        {"virtual_keyboard refused: the state is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.virtual_keyboard(true, true, own(p.diagnostic()), stranger, 0, 0));
         },
         "false"},

        // clipboard
        {"clipboard_set: owner and data swapped", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.clipboard_set(own(p.clipboard_data()), own(p.clipboard_format()),
                                            own(p.clipboard_owner()), false, true, owner, 0, 0));
         },
         "true"},
        {"clipboard_set: the format is the owner, the data the format",
         [](provider_ref p) { offer(p, plain_text, "image/rgba8", "pixels", false); },
         [](provider_ref p, source own) {
             return verdict(p.clipboard_set("viewer", own(p.clipboard_owner()), own(p.clipboard_format()), false,
                                            true, owner, 0, 0));
         },
         "true"},
        {"clipboard_set: owner and data are log lines", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.clipboard_set(own(p.events()[0]), plain_text, own(p.events().back()), true, true, owner,
                                            0, 0));
         },
         "true"},
        {"clipboard_set refused: the owner is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.clipboard_set(own(p.diagnostic()), plain_text, "data", false, false, owner, 0, 0));
         },
         "false"},
        {"clipboard_materialize: the owner is the delayed data",
         [](provider_ref p) { offer(p, "editor", plain_text, "editor", true); },
         [](provider_ref p, source own) {
             return verdict(p.clipboard_materialize(own(p.clipboard_data()), "filled", true, owner, 0, 0));
         },
         "true"},
        {"clipboard_materialize: owner its own, data a log line",
         [](provider_ref p) { offer(p, "editor", plain_text, "later", true); },
         [](provider_ref p, source own) {
             return verdict(
                 p.clipboard_materialize(own(p.clipboard_owner()), own(p.events().back()), true, owner, 0, 0));
         },
         "true"},
        {"clipboard_materialize refused: the data is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.clipboard_materialize("editor", own(p.diagnostic()), true, owner, 0, 0));
         },
         "false"},
        {"clipboard_read: the format its own", nullptr,
         [](provider_ref p, source own) { return p.clipboard_read(own(p.clipboard_format()), true, owner, 0, 0); },
         "hello"},
        {"clipboard_read refused: the format is the diagnostic", nullptr,
         [](provider_ref p, source own) { return p.clipboard_read(own(p.diagnostic()), true, owner, 0, 0); }, ""},

        // displays and session
        {"display_publish: the id from its column", nullptr,
         [](provider_ref p, source own) {
             return verdict(
                 p.display_publish({own(p.display_ids()[0]), 0, 0, 800, 600, 0, 0, 800, 560, 200, true}, owner));
         },
         "true"},
        {"session_transition: the reason is the session", nullptr,
         [](provider_ref p, source own) { return verdict(p.session_transition(true, own(p.session()), owner, 0, 0)); },
         "true"},
        {"session_transition: the reason is a log line", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.session_transition(true, own(p.events().back()), owner, 0, 0));
         },
         "true"},
        {"session_transition refused: the reason is the diagnostic", nullptr,
         [](provider_ref p, source own) {
             return verdict(p.session_transition(false, own(p.diagnostic()), owner, 0, 0));
         },
         "false"},
    };
    // With no spare room each append moves its list; with room it moves nothing.
    for (const std::size_t spare : {0, 1}) {
        SCOPED_TRACE("spare room " + std::to_string(spare));
        for (const auto& c : cases) {
            run_own_text_case(c, spare);
        }
    }
}

} // namespace
