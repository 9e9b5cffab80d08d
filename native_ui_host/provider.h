#pragma once
// native_ui_host_provider: the bookkeeping model of the host's native UI
// services (accessibility, text input, clipboard, displays, session, virtual
// keyboard) bound to one owner thread.
//
// Provides:
//   [X] life cycle "new" -> "ready" | "failed" | "unavailable", "ready" -> "lost",
//       any of those -> "torn-down" (final)
//   [X] owner-thread, state and capability guard on every service operation
//   [X] in-memory event log and a one-line diagnostic dump
//   [X] accessibility node batches with generations and guarded actions
//   [X] one text-input composition, surrounding text, focus transfer, virtual keyboard
//   [X] one clipboard offer, optionally delayed until its owner materialises it
//   [X] display topology with revisions, window-event relay, session state
// Does not:
//   [ ] call any operating-system interface, ask for the current thread or time,
//       or take locks: callers pass their thread id, times and correlations and
//       call from the owner thread only
//
// Refused operations return false (clipboard_read: the empty text), leave
// "host.ui_services <operation> rejected: <reason>" in diagnostic() and count a
// failure. Nothing throws for bad input.
//
// Times, correlations and counters are kept in 64 bits so that the "+1" of the
// log and the counts stay exact past the 32-bit range of their inputs.

#include "native_ui_host/capabilities.h"
#include "native_ui_host/host_display.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class native_ui_host_provider {
public:
    native_ui_host_provider(const native_ui_host_capabilities& capabilities, std::int32_t owner_thread);
    native_ui_host_provider(const native_ui_host_provider&) = delete;
    native_ui_host_provider& operator=(const native_ui_host_provider&) = delete;

    // The virtual operations, in table order: derived classes rely on every
    // internal call of reject, has_capability, require_ready,
    // record_host_event, find_node, supports_clipboard_format and find_display
    // going through this table.
    virtual ~native_ui_host_provider();

    // Sets diagnostic, counts the failure; always false. Writes no event line.
    virtual bool reject(const std::string& operation, const std::string& reason);
    // "accessibility", "text-input", "clipboard", "display-topology",
    // "session-lifecycle", "virtual-keyboard", "delayed-clipboard"; else false.
    virtual bool has_capability(const std::string& name) const;
    // State "ready", then owner thread, then the capability; refuses under the
    // capability's name.
    virtual bool require_ready(std::int32_t thread, const std::string& capability);
    virtual bool initialize(bool available, bool fail_partially, std::int32_t thread, std::int32_t timestamp,
                            std::int32_t correlation);
    // Appends one line; times rise strictly, a correlation of 0 or below takes
    // the last one plus one.
    virtual void record_host_event(const std::string& category, const std::string& subject, const std::string& state,
                                   const std::string& detail, std::int32_t timestamp, std::int32_t correlation,
                                   std::int32_t latency_us);
    // Needs "ready", the owner thread and a window name; no capability.
    virtual bool window_event(const std::string& window, const std::string& kind, std::int32_t timestamp,
                              std::int32_t correlation, std::int32_t thread);

    // Index of the node in order of first appearance, -1 when absent.
    virtual std::int32_t find_node(const std::string& id) const;
    virtual bool accessibility_batch_begin(std::int32_t thread, std::int32_t timestamp, std::int32_t correlation);
    // Adds or updates a node inside an open batch; generations never fall.
    virtual bool accessibility_update(const std::string& id, std::int32_t generation, const std::string& role,
                                      const std::string& name, std::int32_t thread);
    virtual bool accessibility_batch_commit(std::int32_t thread, std::int32_t timestamp, std::int32_t correlation);
    // Needs the node's current generation; refused while another action is
    // being recorded or when called from a callback.
    virtual bool accessibility_action(const std::string& id, std::int32_t generation, const std::string& action,
                                      bool in_callback, std::int32_t thread, std::int32_t timestamp,
                                      std::int32_t correlation);

    // Starts or replaces the composition.
    virtual bool text_input_begin(const std::string& window, const std::string& text, std::int32_t selection_start,
                                  std::int32_t selection_end, std::int32_t replacement_start,
                                  std::int32_t replacement_extent, std::int32_t caret_x, std::int32_t caret_y,
                                  std::int32_t caret_width, std::int32_t caret_height, std::int32_t candidate_first,
                                  std::int32_t candidate_second, const std::string& purpose, const std::string& hints,
                                  bool dead_key, bool keyboard_request, std::int32_t thread, std::int32_t timestamp,
                                  std::int32_t correlation);
    virtual bool surrounding_text(const std::string& window, const std::string& text, std::int32_t selection_start,
                                  std::int32_t selection_end, std::int32_t delete_first, std::int32_t delete_second,
                                  std::int32_t thread, std::int32_t timestamp, std::int32_t correlation);
    virtual bool text_input_commit(const std::string& window, const std::string& text,
                                   std::int32_t replacement_start, std::int32_t replacement_extent,
                                   std::int32_t thread, std::int32_t timestamp, std::int32_t correlation);
    virtual bool text_input_cancel(const std::string& window, const std::string& reason, std::int32_t thread,
                                   std::int32_t timestamp, std::int32_t correlation);
    // Cancels an active composition of from_window first (two lines).
    virtual bool text_focus_transfer(const std::string& from_window, const std::string& to_window,
                                     std::int32_t thread, std::int32_t timestamp, std::int32_t correlation);
    virtual bool virtual_keyboard(bool requested, bool visible, const std::string& state, std::int32_t thread,
                                  std::int32_t timestamp, std::int32_t correlation);

    // "text/plain;charset=utf-8", "image/rgba8", "application/quon-value-v1", exactly.
    virtual bool supports_clipboard_format(const std::string& format) const;
    virtual bool clipboard_set(const std::string& owner, const std::string& format, const std::string& data,
                               bool delayed, bool permitted, std::int32_t thread, std::int32_t timestamp,
                               std::int32_t correlation);
    // Supplies the data of the owner's delayed offer.
    virtual bool clipboard_materialize(const std::string& owner, const std::string& data, bool permitted,
                                       std::int32_t thread, std::int32_t timestamp, std::int32_t correlation);
    // The offered data in the offered format; the empty text when refused.
    virtual std::string clipboard_read(const std::string& format, bool permitted, std::int32_t thread,
                                       std::int32_t timestamp, std::int32_t correlation);

    // Index of the display in order of first publication, -1 when absent.
    virtual std::int32_t find_display(const std::string& id) const;
    // Adds or replaces a display; announced only by display_topology_changed.
    virtual bool display_publish(const host_display& display, std::int32_t thread);
    // Raises the topology revision; needs exactly one primary display.
    virtual bool display_topology_changed(std::int32_t thread, std::int32_t timestamp, std::int32_t correlation);
    // Switches between "active" and "suspended"; the current state is refused.
    virtual bool session_transition(bool suspended, const std::string& reason, std::int32_t thread,
                                    std::int32_t timestamp, std::int32_t correlation);

    // The host's services went away: "ready" -> "lost".
    virtual bool provider_loss(const std::string& reason, std::int32_t thread, std::int32_t timestamp,
                               std::int32_t correlation);
    // Final; a second teardown succeeds without effect. Releases nothing.
    virtual bool teardown(std::int32_t thread, std::int32_t timestamp, std::int32_t correlation);

    // Line number index (0 is the oldest), or the empty text.
    virtual std::string event_at(std::int32_t index) const;
    // "native-ui-host-provider: schema=...; ...; diagnostic=..." on one line.
    virtual std::string diagnostic_dump() const;

    const std::string& schema() const { return schema_; }
    std::int32_t version() const { return version_; }
    const std::string& provider() const { return provider_; }
    const std::string& state() const { return state_; }
    std::int32_t owner_thread() const { return owner_thread_; }
    const std::string& diagnostic() const { return diagnostic_; }
    std::int64_t sequence() const { return sequence_; }
    std::int64_t timestamp() const { return timestamp_; }
    std::int64_t correlation() const { return correlation_; }
    std::int64_t failures() const { return failures_; }
    std::int64_t allocations() const { return allocations_; }
    std::int32_t max_latency_us() const { return max_latency_us_; }
    bool action_in_progress() const { return action_in_progress_; }
    const native_ui_host_capability_flags& capabilities() const { return capabilities_; }

    std::uint32_t accessibility_batch_depth() const { return accessibility_batch_depth_; }
    const std::vector<std::string>& node_ids() const { return node_ids_; }
    const std::vector<std::int32_t>& node_generations() const { return node_generations_; }
    const std::vector<std::string>& node_roles() const { return node_roles_; }
    const std::vector<std::string>& node_names() const { return node_names_; }

    const std::string& composition_window() const { return composition_window_; }
    const std::string& composition_text() const { return composition_text_; }
    const std::string& surrounding_content() const { return surrounding_content_; }
    std::int32_t selection_start() const { return selection_start_; }
    std::int32_t selection_end() const { return selection_end_; }
    std::int32_t replacement_start() const { return replacement_start_; }
    std::int32_t replacement_extent() const { return replacement_extent_; }
    std::int32_t caret_x() const { return caret_x_; }
    std::int32_t caret_y() const { return caret_y_; }
    std::int32_t caret_width() const { return caret_width_; }
    std::int32_t caret_height() const { return caret_height_; }
    std::int32_t candidate_first() const { return candidate_first_; }
    std::int32_t candidate_second() const { return candidate_second_; }
    const std::string& purpose() const { return purpose_; }
    const std::string& hints() const { return hints_; }
    bool composition() const { return composition_; }
    bool keyboard_requested() const { return keyboard_requested_; }
    bool keyboard_visible() const { return keyboard_visible_; }

    const std::string& clipboard_owner() const { return clipboard_owner_; }
    const std::string& clipboard_format() const { return clipboard_format_; }
    const std::string& clipboard_data() const { return clipboard_data_; }
    bool clipboard_delayed() const { return clipboard_delayed_; }

    const std::vector<std::string>& display_ids() const { return display_ids_; }
    const std::vector<std::int32_t>& display_x() const { return display_x_; }
    const std::vector<std::int32_t>& display_y() const { return display_y_; }
    const std::vector<std::int32_t>& display_width() const { return display_width_; }
    const std::vector<std::int32_t>& display_height() const { return display_height_; }
    const std::vector<std::int32_t>& work_x() const { return work_x_; }
    const std::vector<std::int32_t>& work_y() const { return work_y_; }
    const std::vector<std::int32_t>& work_width() const { return work_width_; }
    const std::vector<std::int32_t>& work_height() const { return work_height_; }
    const std::vector<std::int32_t>& display_scale() const { return display_scale_; }
    const std::vector<bool>& display_primary() const { return display_primary_; }
    std::int64_t topology() const { return topology_; }
    const std::string& session() const { return session_; }
    const std::vector<std::string>& events() const { return events_; }

private:
    // Lets tests start the counters near the top of the 32-bit range, which
    // the public operations would need billions of calls to reach, and set
    // the lists' spare room, which decides whether the next append moves them.
    friend struct native_ui_host_provider_test_access;

    std::string schema_;
    std::int32_t version_;
    std::string provider_;
    std::string capability_schema_;
    std::int32_t capability_version_;
    std::string state_;
    std::int32_t owner_thread_;
    std::string diagnostic_;
    std::int64_t sequence_;
    std::int64_t timestamp_;
    std::int64_t correlation_;
    std::int64_t failures_;
    std::int64_t allocations_;
    std::int32_t max_latency_us_;
    bool action_in_progress_;
    native_ui_host_capability_flags capabilities_;
    std::uint32_t accessibility_batch_depth_;
    std::vector<std::string> node_ids_;
    std::vector<std::int32_t> node_generations_;
    std::vector<std::string> node_roles_;
    std::vector<std::string> node_names_;
    std::string composition_window_;
    std::string composition_text_;
    std::string surrounding_content_;
    std::int32_t selection_start_;
    std::int32_t selection_end_;
    std::int32_t replacement_start_;
    std::int32_t replacement_extent_;
    std::int32_t caret_x_;
    std::int32_t caret_y_;
    std::int32_t caret_width_;
    std::int32_t caret_height_;
    std::int32_t candidate_first_;
    std::int32_t candidate_second_;
    std::string purpose_;
    std::string hints_;
    bool composition_;
    bool keyboard_requested_;
    bool keyboard_visible_;
    std::string clipboard_owner_;
    std::string clipboard_format_;
    std::string clipboard_data_;
    bool clipboard_delayed_;
    std::vector<std::string> display_ids_;
    std::vector<std::int32_t> display_x_;
    std::vector<std::int32_t> display_y_;
    std::vector<std::int32_t> display_width_;
    std::vector<std::int32_t> display_height_;
    std::vector<std::int32_t> work_x_;
    std::vector<std::int32_t> work_y_;
    std::vector<std::int32_t> work_width_;
    std::vector<std::int32_t> work_height_;
    std::vector<std::int32_t> display_scale_;
    std::vector<bool> display_primary_;
    std::int64_t topology_;
    std::string session_;
    std::vector<std::string> events_;

    // Id -> first position in node_ids_ / display_ids_, kept in step with the
    // columns so that lookups do not scan them.
    std::unordered_map<std::string, std::int32_t> node_index_;
    std::unordered_map<std::string, std::int32_t> display_index_;
};
