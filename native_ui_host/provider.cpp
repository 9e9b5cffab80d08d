#include "native_ui_host/provider.h"

#include "runtime/text.h"

#include <cstddef>
#include <utility>

namespace {

const char* const provider_schema = "quon.native-ui-host-provider.v1";
const char* const capabilities_schema = "quon.native-ui-host-capabilities.v1";

// Tested in this order; the first matching name answers.
const std::pair<const char*, bool native_ui_host_capability_flags::*> capability_names[] = {
    {"accessibility", &native_ui_host_capability_flags::accessibility},
    {"text-input", &native_ui_host_capability_flags::text_input},
    {"clipboard", &native_ui_host_capability_flags::clipboard},
    {"display-topology", &native_ui_host_capability_flags::display_topology},
    {"session-lifecycle", &native_ui_host_capability_flags::session_lifecycle},
    {"virtual-keyboard", &native_ui_host_capability_flags::virtual_keyboard},
    {"delayed-clipboard", &native_ui_host_capability_flags::delayed_clipboard},
};

std::string decimal(std::int64_t value)
{
    return std::to_string(value);
}

// An index from an overridden find_node or find_display that names no row is
// treated as "absent" rather than read out of bounds.
bool names_row(std::int32_t index, std::size_t rows)
{
    return index >= 0 && static_cast<std::size_t>(index) < rows;
}

std::int32_t indexed_position(const std::unordered_map<std::string, std::int32_t>& index, const std::string& id)
{
    const auto found = index.find(id);
    return found == index.end() ? -1 : found->second;
}

} // namespace

native_ui_host_provider::native_ui_host_provider(const native_ui_host_capabilities& capabilities,
                                                 std::int32_t owner_thread)
    : schema_(provider_schema),
      version_(1),
      provider_(capabilities.provider),
      capability_schema_(capabilities.schema),
      capability_version_(capabilities.version),
      state_("new"),
      owner_thread_(owner_thread),
      diagnostic_("ok"),
      sequence_(1),
      timestamp_(0),
      correlation_(0),
      failures_(0),
      allocations_(0),
      max_latency_us_(0),
      action_in_progress_(false),
      capabilities_{capabilities.accessibility,     capabilities.text_input,       capabilities.clipboard,
                    capabilities.display_topology,  capabilities.session_lifecycle, capabilities.virtual_keyboard,
                    capabilities.delayed_clipboard},
      accessibility_batch_depth_(0),
      selection_start_(0),
      selection_end_(0),
      replacement_start_(0),
      replacement_extent_(0),
      caret_x_(0),
      caret_y_(0),
      caret_width_(0),
      caret_height_(0),
      candidate_first_(0),
      candidate_second_(0),
      purpose_("text"),
      hints_("none"),
      composition_(false),
      keyboard_requested_(false),
      keyboard_visible_(false),
      clipboard_delayed_(false),
      topology_(0),
      session_("active")
{
}

native_ui_host_provider::~native_ui_host_provider() = default;

// ---- contract ----

bool native_ui_host_provider::reject(const std::string& operation, const std::string& reason)
{
    diagnostic_ = format_placeholders("host.ui_services {0} rejected: {1}", {operation, reason});
    failures_ += 1;
    return false;
}

bool native_ui_host_provider::has_capability(const std::string& name) const
{
    for (const auto& [capability, flag] : capability_names) {
        if (name == capability) {
            return capabilities_.*flag;
        }
    }
    return false;
}

bool native_ui_host_provider::require_ready(std::int32_t thread, const std::string& capability)
{
    if (state_ != "ready") {
        return reject(capability, format_placeholders("provider-state={0}", {state_}));
    }
    if (thread != owner_thread_) {
        return reject(capability, format_placeholders("wrong-thread expected={0} actual={1}",
                                                      {decimal(owner_thread_), decimal(thread)}));
    }
    if (!has_capability(capability)) {
        return reject(capability, "capability-unavailable-before-effect");
    }
    return true;
}

bool native_ui_host_provider::initialize(bool available, bool fail_partially, std::int32_t thread,
                                         std::int32_t timestamp, std::int32_t correlation)
{
    if (state_ != "new" || thread != owner_thread_) {
        return reject("initialize", "invalid-state-or-thread");
    }
    if (capability_schema_ != capabilities_schema || capability_version_ != 1 || provider_.empty()) {
        state_ = "unavailable";
        return reject("initialize", "incompatible-capability-contract");
    }
    if (!available) {
        state_ = "unavailable";
        return reject("initialize", "provider-unavailable");
    }
    state_ = "initializing";
    if (fail_partially) {
        state_ = "failed";
        record_host_event("provider", provider_, "partial-initialization-cleaned",
                          "capabilities-created-services-not-published", timestamp, correlation, 0);
        return reject("initialize", "partial-initialization");
    }
    state_ = "ready";
    record_host_event("provider", provider_, "ready", "owner-thread-bound", timestamp, correlation, 0);
    diagnostic_ = "ok";
    return true;
}

bool native_ui_host_provider::provider_loss(const std::string& reason, std::int32_t thread, std::int32_t timestamp,
                                            std::int32_t correlation)
{
    if (state_ != "ready" || thread != owner_thread_) {
        return reject("provider-loss", "invalid-state-or-thread");
    }
    // Copied first: the reason may be the clipboard owner or data emptied below.
    const std::string detail = reason;
    composition_ = false;
    keyboard_visible_ = false;
    clipboard_owner_.clear();
    clipboard_data_.clear();
    clipboard_delayed_ = false;
    record_host_event("provider", provider_, "lost", detail, timestamp, correlation, 1);
    state_ = "lost";
    return true;
}

bool native_ui_host_provider::teardown(std::int32_t thread, std::int32_t timestamp, std::int32_t correlation)
{
    if (thread != owner_thread_) {
        return reject("teardown", "wrong-thread");
    }
    if (state_ == "torn-down") {
        return true;
    }
    if (state_ == "ready" || state_ == "lost" || state_ == "failed" || state_ == "unavailable") {
        record_host_event("provider", provider_, "torn-down", "queues-quiesced-identities-invalidated", timestamp,
                          correlation, 1);
        state_ = "torn-down";
        action_in_progress_ = false;
        composition_ = false;
        accessibility_batch_depth_ = 0;
        return true;
    }
    return reject("teardown", format_placeholders("invalid-state={0}", {state_}));
}

// ---- event log and dump ----

void native_ui_host_provider::record_host_event(const std::string& category, const std::string& subject,
                                                const std::string& state, const std::string& detail,
                                                std::int32_t timestamp, std::int32_t correlation,
                                                std::int32_t latency_us)
{
    const std::int64_t time = timestamp > timestamp_ ? std::int64_t{timestamp} : timestamp_ + 1;
    const std::int64_t corr = correlation > 0 ? std::int64_t{correlation} : correlation_ + 1;
    if (latency_us > max_latency_us_) {
        max_latency_us_ = latency_us;
    }
    const std::string head = format_placeholders("host-event {0}: time={1}; correlation={2}; category={3}",
                                                 {decimal(sequence_), decimal(time), decimal(corr), category});
    const std::string body = format_placeholders("subject={0}; state={1}; detail={2}", {subject, state, detail});
    events_.push_back(format_placeholders("{0}; {1}", {head, body}));
    allocations_ += 1;
    sequence_ += 1;
    timestamp_ = time;
    correlation_ = corr;
}

std::string native_ui_host_provider::event_at(std::int32_t index) const
{
    if (!names_row(index, events_.size())) {
        return std::string();
    }
    return events_[static_cast<std::size_t>(index)];
}

std::string native_ui_host_provider::diagnostic_dump() const
{
    const std::string identity = format_placeholders(
        "native-ui-host-provider: schema={0}; version={1}; provider={2}; state={3}",
        {schema_, decimal(version_), provider_, state_});
    const std::string clock = format_placeholders("owner-thread={0}; sequence={1}; timestamp={2}; correlation={3}",
                                                  {decimal(owner_thread_), decimal(sequence_ - 1),
                                                   decimal(timestamp_), decimal(correlation_)});
    const std::string sizes = format_placeholders(
        "events={0}; nodes={1}; displays={2}; topology={3}",
        {std::to_string(events_.size()), std::to_string(node_ids_.size()), std::to_string(display_ids_.size()),
         decimal(topology_)});
    const std::string input = format_placeholders(
        "session={0}; composition={1}; keyboard-requested={2}; keyboard-visible={3}",
        {session_, bool_text(composition_), bool_text(keyboard_requested_), bool_text(keyboard_visible_)});
    const std::string counters = format_placeholders(
        "clipboard-format={0}; failures={1}; allocations={2}; max-latency-us={3}",
        {clipboard_format_, decimal(failures_), decimal(allocations_), decimal(max_latency_us_)});
    const std::string head = format_placeholders("{0}; {1}", {identity, clock});
    const std::string tail = format_placeholders("{0}; diagnostic={1}", {counters, diagnostic_});
    return format_placeholders("{0}; {1}; {2}; {3}", {head, sizes, input, tail});
}

// ---- window events ----

bool native_ui_host_provider::window_event(const std::string& window, const std::string& kind,
                                           std::int32_t timestamp, std::int32_t correlation, std::int32_t thread)
{
    if (state_ != "ready" || thread != owner_thread_ || window.empty()) {
        return reject("window-event", "invalid-state-thread-or-window");
    }
    record_host_event("window", window, kind, "correlated-window-runtime-event", timestamp, correlation, 0);
    return true;
}

// ---- accessibility ----

std::int32_t native_ui_host_provider::find_node(const std::string& id) const
{
    return indexed_position(node_index_, id);
}

bool native_ui_host_provider::accessibility_batch_begin(std::int32_t thread, std::int32_t timestamp,
                                                        std::int32_t correlation)
{
    if (!require_ready(thread, "accessibility")) {
        return false;
    }
    if (accessibility_batch_depth_ != 0) {
        return reject("accessibility-batch", "nested-batch");
    }
    accessibility_batch_depth_ = 1;
    record_host_event("accessibility", "tree", "batch-begin", "updates-hidden-until-commit", timestamp, correlation,
                      0);
    return true;
}

bool native_ui_host_provider::accessibility_update(const std::string& id, std::int32_t generation,
                                                   const std::string& role, const std::string& name,
                                                   std::int32_t thread)
{
    if (!require_ready(thread, "accessibility")) {
        return false;
    }
    if (accessibility_batch_depth_ != 1 || id.empty() || generation < 1 || role.empty() || name.empty()) {
        return reject("accessibility-update", "invalid-batch-node-role-or-name");
    }
    const std::int32_t index = find_node(id);
    if (!names_row(index, node_ids_.size())) {
        const auto append = [&](const std::string& new_role, const std::string& new_name) {
            // try_emplace: should an override have hidden a known id, the
            // index still answers its first position.
            node_index_.try_emplace(id, static_cast<std::int32_t>(node_ids_.size()));
            node_ids_.push_back(id);
            node_generations_.push_back(generation);
            node_roles_.push_back(new_role);
            node_names_.push_back(new_name);
        };
        // An append that reallocates the id or role column moves its texts,
        // and role or name may be one of them: only then are they copied.
        if (node_ids_.size() == node_ids_.capacity() || node_roles_.size() == node_roles_.capacity()) {
            append(std::string(role), std::string(name));
        } else {
            append(role, name);
        }
        allocations_ += 4;
        return true;
    }
    const auto row = static_cast<std::size_t>(index);
    if (generation < node_generations_[row]) {
        return reject("accessibility-update", "stale-generation");
    }
    node_generations_[row] = generation;
    if (&name == &node_roles_[row]) {
        // The name is this node's role, which the role's assignment replaces.
        std::string new_name = name;
        node_roles_[row] = role;
        node_names_[row] = std::move(new_name);
        return true;
    }
    node_roles_[row] = role;
    node_names_[row] = name;
    return true;
}

bool native_ui_host_provider::accessibility_batch_commit(std::int32_t thread, std::int32_t timestamp,
                                                         std::int32_t correlation)
{
    if (!require_ready(thread, "accessibility")) {
        return false;
    }
    if (accessibility_batch_depth_ != 1) {
        return reject("accessibility-batch", "no-active-batch");
    }
    accessibility_batch_depth_ = 0;
    record_host_event("accessibility", "tree", "batch-commit",
                      format_placeholders("nodes={0}", {std::to_string(node_ids_.size())}), timestamp, correlation,
                      1);
    return true;
}

bool native_ui_host_provider::accessibility_action(const std::string& id, std::int32_t generation,
                                                   const std::string& action, bool in_callback,
                                                   std::int32_t thread, std::int32_t timestamp,
                                                   std::int32_t correlation)
{
    if (!require_ready(thread, "accessibility")) {
        return false;
    }
    if (action_in_progress_) {
        return reject("accessibility-action", "reentrant-or-unavailable");
    }
    const std::int32_t index = find_node(id);
    if (!names_row(index, node_ids_.size()) || generation != node_generations_[static_cast<std::size_t>(index)]) {
        return reject("accessibility-action", "stale-or-missing-node-identity");
    }
    action_in_progress_ = true;
    if (in_callback) {
        action_in_progress_ = false;
        return reject("accessibility-action", "callback-reentrancy-blocked");
    }
    record_host_event("accessibility", id, "action", action, timestamp, correlation, 2);
    action_in_progress_ = false;
    return true;
}

// ---- text input ----

bool native_ui_host_provider::text_input_begin(
    const std::string& window, const std::string& text, std::int32_t selection_start, std::int32_t selection_end,
    std::int32_t replacement_start, std::int32_t replacement_extent, std::int32_t caret_x, std::int32_t caret_y,
    std::int32_t caret_width, std::int32_t caret_height, std::int32_t candidate_first, std::int32_t candidate_second,
    const std::string& purpose, const std::string& hints, bool dead_key, bool keyboard_request, std::int32_t thread,
    std::int32_t timestamp, std::int32_t correlation)
{
    if (!require_ready(thread, "text-input")) {
        return false;
    }
    if (window.empty() || selection_start < 0 || selection_end < 0 || replacement_start < 0 ||
        replacement_extent < 0 || caret_width < 0 || caret_height < 0) {
        return reject("text-input-begin", "invalid-window-range-or-geometry");
    }
    // Copied before any is stored: each may be one of the texts stored here.
    std::string new_window = window;
    std::string new_text = text;
    std::string new_purpose = purpose;
    std::string new_hints = hints;
    composition_window_ = std::move(new_window);
    composition_text_ = std::move(new_text);
    selection_start_ = selection_start;
    selection_end_ = selection_end;
    replacement_start_ = replacement_start;
    replacement_extent_ = replacement_extent;
    caret_x_ = caret_x;
    caret_y_ = caret_y;
    caret_width_ = caret_width;
    caret_height_ = caret_height;
    candidate_first_ = candidate_first;
    candidate_second_ = candidate_second;
    purpose_ = std::move(new_purpose);
    hints_ = std::move(new_hints);
    composition_ = true;
    keyboard_requested_ = keyboard_request;

    const std::string ranges =
        format_placeholders("selection={0},{1}; replacement={2},{3}",
                            {decimal(selection_start), decimal(selection_end), decimal(replacement_start),
                             decimal(replacement_extent)});
    const std::string caret = format_placeholders(
        "caret={0},{1},{2},{3}", {decimal(caret_x), decimal(caret_y), decimal(caret_width), decimal(caret_height)});
    const std::string candidate =
        format_placeholders("candidate={0},{1}; purpose={2}; hints={3}",
                            {decimal(candidate_first), decimal(candidate_second), purpose_, hints_});
    const std::string keys = format_placeholders("dead-key={0}; virtual-keyboard={1}",
                                                 {bool_text(dead_key), bool_text(keyboard_request)});
    record_host_event("text-input", composition_window_, "preedit",
                      format_placeholders("{0}; {1}; {2}; {3}", {ranges, caret, candidate, keys}), timestamp,
                      correlation, 3);
    return true;
}

bool native_ui_host_provider::surrounding_text(const std::string& window, const std::string& text,
                                               std::int32_t selection_start, std::int32_t selection_end,
                                               std::int32_t delete_first, std::int32_t delete_second,
                                               std::int32_t thread, std::int32_t timestamp, std::int32_t correlation)
{
    if (!require_ready(thread, "text-input")) {
        return false;
    }
    if (!composition_ || window != composition_window_ || selection_start < 0 || selection_end < 0 ||
        delete_first < 0 || delete_second < 0) {
        return reject("surrounding-text", "inactive-stale-window-or-invalid-range");
    }
    surrounding_content_ = text;
    selection_start_ = selection_start;
    selection_end_ = selection_end;
    // composition_window_ equals window, which may be the surrounding text just replaced.
    record_host_event("text-input", composition_window_, "surrounding-update",
                      format_placeholders("selection={0},{1}; delete={2},{3}",
                                          {decimal(selection_start), decimal(selection_end), decimal(delete_first),
                                           decimal(delete_second)}),
                      timestamp, correlation, 2);
    return true;
}

bool native_ui_host_provider::text_input_commit(const std::string& window, const std::string& text,
                                                std::int32_t replacement_start, std::int32_t replacement_extent,
                                                std::int32_t thread, std::int32_t timestamp,
                                                std::int32_t correlation)
{
    if (!require_ready(thread, "text-input")) {
        return false;
    }
    if (!composition_ || replacement_start < 0 || replacement_extent < 0 || window != composition_window_) {
        return reject("text-input-commit", "inactive-stale-window-or-invalid-range");
    }
    record_host_event("text-input", window, "commit",
                      format_placeholders("text={0}; replacement={1},{2}",
                                          {text, decimal(replacement_start), decimal(replacement_extent)}),
                      timestamp, correlation, 2);
    composition_text_.clear();
    composition_ = false;
    return true;
}

bool native_ui_host_provider::text_input_cancel(const std::string& window, const std::string& reason,
                                                std::int32_t thread, std::int32_t timestamp,
                                                std::int32_t correlation)
{
    if (!require_ready(thread, "text-input")) {
        return false;
    }
    if (!composition_ || window != composition_window_) {
        return reject("text-input-cancel", "inactive-or-stale-window");
    }
    record_host_event("text-input", window, "cancel", reason, timestamp, correlation, 1);
    composition_text_.clear();
    composition_ = false;
    return true;
}

bool native_ui_host_provider::text_focus_transfer(const std::string& from_window, const std::string& to_window,
                                                  std::int32_t thread, std::int32_t timestamp,
                                                  std::int32_t correlation)
{
    if (!require_ready(thread, "text-input")) {
        return false;
    }
    if (to_window.empty()) {
        return reject("text-focus-transfer", "invalid-source-or-destination");
    }
    // Both read before anything changes: either window may be a log line, the
    // composition text or composition_window() itself.
    const std::string detail = format_placeholders("from={0}", {from_window});
    std::string destination = to_window;
    if (composition_) {
        if (from_window != composition_window_) {
            return reject("text-focus-transfer", "invalid-source-or-destination");
        }
        record_host_event("text-input", from_window, "focus-cancel", "composition-cancelled-before-transfer",
                          timestamp, correlation, 1);
        composition_ = false;
        composition_text_.clear();
    }
    composition_window_ = std::move(destination);
    record_host_event("text-input", composition_window_, "focus", detail, timestamp, correlation, 1);
    return true;
}

bool native_ui_host_provider::virtual_keyboard(bool requested, bool visible, const std::string& state,
                                               std::int32_t thread, std::int32_t timestamp,
                                               std::int32_t correlation)
{
    if (!require_ready(thread, "virtual-keyboard")) {
        return false;
    }
    keyboard_requested_ = requested;
    keyboard_visible_ = visible;
    record_host_event("text-input", composition_window_, "virtual-keyboard",
                      format_placeholders("requested={0}; visible={1}; state={2}",
                                          {bool_text(requested), bool_text(visible), state}),
                      timestamp, correlation, 1);
    return true;
}

// ---- clipboard ----

bool native_ui_host_provider::supports_clipboard_format(const std::string& format) const
{
    return format == "text/plain;charset=utf-8" || format == "image/rgba8" || format == "application/quon-value-v1";
}

bool native_ui_host_provider::clipboard_set(const std::string& owner, const std::string& format,
                                            const std::string& data, bool delayed, bool permitted,
                                            std::int32_t thread, std::int32_t timestamp, std::int32_t correlation)
{
    if (!require_ready(thread, "clipboard")) {
        return false;
    }
    if (!permitted || owner.empty() || !supports_clipboard_format(format) ||
        (delayed && !has_capability("delayed-clipboard"))) {
        return reject("clipboard-set", "permission-format-owner-or-delayed-capability");
    }
    // Copied before any is stored: each may be one of the texts stored here.
    std::string new_owner = owner;
    std::string new_format = format;
    std::string new_data = data;
    clipboard_owner_ = std::move(new_owner);
    clipboard_format_ = std::move(new_format);
    clipboard_data_ = std::move(new_data);
    clipboard_delayed_ = delayed;
    record_host_event("clipboard", clipboard_owner_, "ownership",
                      format_placeholders("format={0}; delayed={1}", {clipboard_format_, bool_text(delayed)}),
                      timestamp, correlation, 2);
    return true;
}

bool native_ui_host_provider::clipboard_materialize(const std::string& owner, const std::string& data,
                                                    bool permitted, std::int32_t thread, std::int32_t timestamp,
                                                    std::int32_t correlation)
{
    if (!require_ready(thread, "clipboard")) {
        return false;
    }
    if (!permitted || owner != clipboard_owner_ || !clipboard_delayed_) {
        return reject("clipboard-materialize", "permission-owner-or-not-delayed");
    }
    clipboard_data_ = data;
    clipboard_delayed_ = false;
    // clipboard_owner_ equals owner, which may be the data just replaced.
    record_host_event("clipboard", clipboard_owner_, "materialized", clipboard_format_, timestamp, correlation, 2);
    return true;
}

std::string native_ui_host_provider::clipboard_read(const std::string& format, bool permitted, std::int32_t thread,
                                                    std::int32_t timestamp, std::int32_t correlation)
{
    if (!require_ready(thread, "clipboard")) {
        return std::string();
    }
    if (!permitted || format != clipboard_format_ || clipboard_delayed_) {
        reject("clipboard-read", "permission-format-or-delayed-data");
        return std::string();
    }
    record_host_event("clipboard", clipboard_owner_, "read", format, timestamp, correlation, 1);
    return clipboard_data_;
}

// ---- displays and session ----

std::int32_t native_ui_host_provider::find_display(const std::string& id) const
{
    return indexed_position(display_index_, id);
}

bool native_ui_host_provider::display_publish(const host_display& display, std::int32_t thread)
{
    if (!require_ready(thread, "display-topology")) {
        return false;
    }
    const std::string geometry = validate_display_geometry(display);
    if (geometry != "ok") {
        return reject("display-publish", geometry);
    }
    const std::int32_t index = find_display(display.id);
    if (!names_row(index, display_ids_.size())) {
        display_index_.try_emplace(display.id, static_cast<std::int32_t>(display_ids_.size()));
        display_ids_.push_back(display.id);
        display_x_.push_back(display.x);
        display_y_.push_back(display.y);
        display_width_.push_back(display.width);
        display_height_.push_back(display.height);
        work_x_.push_back(display.work_x);
        work_y_.push_back(display.work_y);
        work_width_.push_back(display.work_width);
        work_height_.push_back(display.work_height);
        display_scale_.push_back(display.scale);
        display_primary_.push_back(display.primary);
        allocations_ += 11;
        return true;
    }
    const auto row = static_cast<std::size_t>(index);
    display_x_[row] = display.x;
    display_y_[row] = display.y;
    display_width_[row] = display.width;
    display_height_[row] = display.height;
    work_x_[row] = display.work_x;
    work_y_[row] = display.work_y;
    work_width_[row] = display.work_width;
    work_height_[row] = display.work_height;
    display_scale_[row] = display.scale;
    display_primary_[row] = display.primary;
    return true;
}

bool native_ui_host_provider::display_topology_changed(std::int32_t thread, std::int32_t timestamp,
                                                       std::int32_t correlation)
{
    if (!require_ready(thread, "display-topology")) {
        return false;
    }
    if (display_ids_.empty()) {
        return reject("display-topology", "no-displays");
    }
    std::size_t primaries = 0;
    for (const bool primary : display_primary_) {
        primaries += primary ? 1 : 0;
    }
    if (primaries != 1) {
        return reject("display-topology", format_placeholders("primary-count={0}", {std::to_string(primaries)}));
    }
    topology_ += 1;
    record_host_event("display", "topology", "changed",
                      format_placeholders("revision={0}; displays={1}",
                                          {decimal(topology_), std::to_string(display_ids_.size())}),
                      timestamp, correlation, 2);
    return true;
}

bool native_ui_host_provider::session_transition(bool suspended, const std::string& reason, std::int32_t thread,
                                                 std::int32_t timestamp, std::int32_t correlation)
{
    if (!require_ready(thread, "session-lifecycle")) {
        return false;
    }
    const std::string target = suspended ? "suspended" : "active";
    if (session_ == target) {
        return reject("session-transition", format_placeholders("duplicate-state={0}", {target}));
    }
    // Copied first: the reason may be the session text replaced below.
    const std::string detail = reason;
    session_ = target;
    record_host_event("session", "application", target, detail, timestamp, correlation, 1);
    return true;
}
