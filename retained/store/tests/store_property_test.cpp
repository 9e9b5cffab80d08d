// Random sequences of binds, updates, checks, prepared admissions, batches and
// closes: after every step the store's invariants hold, a refusal changes nothing
// but what a refusal may change, and the revision rises exactly by the commits.

#include "retained/store/retained_prepared_admission.h"
#include "retained/store/retained_prepared_candidate_batch.h"
#include "retained/store/tests/store_fixture.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <set>
#include <type_traits>

class retained_resource_store_inspector {
public:
    explicit retained_resource_store_inspector(const retained_resource_store& store) : s_(store) {}

    // Empty when every invariant holds, else the first one broken.
    std::string broken() const
    {
        const auto& p = s_.paints_;
        if (!same_length(p.id, p.red, p.green, p.blue, p.alpha, p.radius, p.border_width, p.opacity)) {
            return "paint columns";
        }
        const auto& i = s_.images_;
        if (!same_length(i.id, i.kind, i.generation, i.width, i.height, i.size_bytes, i.format, i.color_space,
                         i.alpha_mode, i.state, i.resident, i.content_identity, i.payload, i.source)) {
            return "image columns";
        }
        const auto& g = s_.glyphs_;
        if (!same_length(g.id, g.width, g.height, g.row_stride, g.byte_size, g.format, g.payload, g.source)) {
            return "glyph columns";
        }
        const auto& c = s_.clips_;
        if (!same_length(c.id, c.x, c.y, c.width, c.height, c.radius)) {
            return "clip columns";
        }
        const auto& t = s_.transforms_;
        if (!same_length(t.id, t.translate_x, t.translate_y, t.scale_x, t.scale_y, t.rotation)) {
            return "transform columns";
        }
        const auto& o = s_.owners_;
        if (!same_length(o.id, o.generation, o.first_sequence, o.last_sequence, o.first_command_row, o.command_count)) {
            return "owner columns";
        }
        const auto& m = s_.commands_;
        if (!same_length(m.sequence, m.owner_row, m.signature, m.kind, m.resource_id, m.image_generation, m.paint,
                         m.image, m.glyph, m.clip, m.transform)) {
            return "command columns";
        }
        if (s_.command_counter_ != m.sequence.size()) {
            return "commands counter";
        }
        std::uint32_t payload = 0;
        for (const std::int32_t size : i.size_bytes) {
            payload += static_cast<std::uint32_t>(size);
        }
        for (const std::int32_t size : g.byte_size) {
            payload += static_cast<std::uint32_t>(size);
        }
        if (s_.payload_counter_ != payload) {
            return "payload counter";
        }
        std::size_t owned = 0;
        for (std::size_t row = 0; row < o.id.size(); ++row) {
            for (std::int32_t k = 0; k < o.command_count[row]; ++k) {
                const auto command_row = static_cast<std::size_t>(o.first_command_row[row] + k);
                if (command_row >= m.owner_row.size() || m.owner_row[command_row] != static_cast<std::int32_t>(row)) {
                    return "owner " + o.id[row] + " does not own its command rows";
                }
                ++owned;
            }
            if (s_.find_binding(o.id[row]) != static_cast<std::int32_t>(row)) {
                return "binding key of " + o.id[row];
            }
        }
        if (owned != m.sequence.size()) {
            return "command rows without an owner";
        }
        for (std::size_t row = 0; row < m.sequence.size(); ++row) {
            if (s_.index_get(identity_key("command-sequence", "", m.sequence[row])) != static_cast<std::int32_t>(row)) {
                return "command-sequence key of row " + std::to_string(row);
            }
        }
        return broken_index();
    }

    // Every column, counter and key as one text, to compare two stores.
    std::string state() const
    {
        std::string out = s_.diagnostic();
        const auto column = [&out](const auto& values) {
            out += "\n";
            for (const auto& value : values) {
                if constexpr (std::is_convertible_v<decltype(value), std::string>) {
                    out += std::to_string(std::string(value).size()) + ":" + std::string(value);
                }
                else {
                    out += std::to_string(value);
                }
                out += ",";
            }
        };
        const auto& p = s_.paints_;
        for (const auto* c : {&p.red, &p.green, &p.blue, &p.alpha, &p.radius, &p.border_width, &p.opacity}) {
            column(*c);
        }
        column(p.id);
        const auto& i = s_.images_;
        for (const auto* c : {&i.id, &i.kind, &i.format, &i.color_space, &i.alpha_mode, &i.state,
                              &i.content_identity, &i.payload, &i.source}) {
            column(*c);
        }
        for (const auto* c : {&i.generation, &i.width, &i.height, &i.size_bytes}) {
            column(*c);
        }
        column(i.resident);
        const auto& g = s_.glyphs_;
        for (const auto* c : {&g.id, &g.format, &g.payload, &g.source}) {
            column(*c);
        }
        for (const auto* c : {&g.width, &g.height, &g.row_stride, &g.byte_size}) {
            column(*c);
        }
        for (const auto* c : {&s_.clips_.x, &s_.clips_.y, &s_.clips_.width, &s_.clips_.height, &s_.clips_.radius,
                              &s_.transforms_.translate_x, &s_.transforms_.translate_y, &s_.transforms_.scale_x,
                              &s_.transforms_.scale_y, &s_.transforms_.rotation}) {
            column(*c);
        }
        column(s_.clips_.id);
        column(s_.transforms_.id);
        const auto& o = s_.owners_;
        column(o.id);
        for (const auto* c : {&o.generation, &o.first_sequence, &o.last_sequence, &o.first_command_row,
                              &o.command_count}) {
            column(*c);
        }
        const auto& m = s_.commands_;
        for (const auto* c : {&m.signature, &m.kind, &m.resource_id}) {
            column(*c);
        }
        for (const auto* c : {&m.sequence, &m.owner_row, &m.image_generation, &m.paint, &m.image, &m.glyph, &m.clip,
                              &m.transform}) {
            column(*c);
        }
        std::vector<std::string> keys;
        for (std::size_t node = 0; node < s_.index_.node_count(); ++node) {
            keys.emplace_back(s_.index_.key(node));
        }
        column(keys);
        column(s_.index_.values);
        column(s_.index_.next);
        column(s_.index_.heads);
        out += "\n" + std::to_string(s_.index_probe_count());
        return out;
    }

private:
    template <typename First, typename... Rest> static bool same_length(const First& first, const Rest&... rest)
    {
        return ((rest.size() == first.size()) && ...);
    }

    std::string broken_index() const
    {
        const auto& index = s_.index_;
        if (index.heads.size() != 8192 || index.bucket_count != 8192) {
            return "bucket heads";
        }
        if (index.key_starts.size() != index.node_count() + 1 || index.values.size() != index.node_count()) {
            return "key index lists";
        }
        std::set<std::string> keys;
        for (std::size_t node = 0; node < index.node_count(); ++node) {
            keys.emplace(index.key(node));
        }
        if (keys.size() != index.node_count()) {
            return "a key stored twice";
        }
        for (std::size_t node = 0; node < index.node_count(); ++node) {
            const std::string key(index.key(node));
            const std::int32_t bucket = identifier_hash(key, 8192);
            std::int32_t i = index.heads[static_cast<std::size_t>(bucket)];
            std::uint32_t visited = 1;
            while (i >= 0 && static_cast<std::size_t>(i) != node) {
                i = index.next[static_cast<std::size_t>(i)];
                ++visited;
            }
            if (i < 0) {
                return "key off its bucket's chain: " + key;
            }
            const auto* found = index.find(key, index.fingerprints[node]);
            if (found == nullptr || found->node != static_cast<std::int32_t>(node) ||
                index.walk_length(bucket, found) != visited || found->value != index.values[node]) {
                return "probes or node of a key not those of its chain: " + key;
            }
        }
        for (std::size_t bucket = 0; bucket < index.heads.size(); ++bucket) {
            std::uint32_t length = 0;
            for (std::int32_t i = index.heads[bucket]; i >= 0; i = index.next[static_cast<std::size_t>(i)]) {
                ++length;
            }
            if (index.walk_length(static_cast<std::int32_t>(bucket), nullptr) != length) {
                return "chain length of bucket " + std::to_string(bucket);
            }
        }
        return "";
    }

    const retained_resource_store& s_;
};

namespace {

// Counters that a refusal must leave alone.
struct store_counters {
    std::uint32_t revision, validations, explicit_comparisons, payload_comparisons, admissions, probes, keys, commands,
        payload, entries, owners;

    explicit store_counters(const retained_resource_store& s)
        : revision(s.revision()), validations(s.validation_count()),
          explicit_comparisons(s.explicit_comparison_count()), payload_comparisons(s.payload_comparison_count()),
          admissions(s.admission_count()), probes(s.index_probe_count()), keys(s.index_key_count()),
          commands(s.command_count()), payload(s.payload_size()), entries(s.entry_count()), owners(s.owner_count())
    {
    }

    bool operator==(const store_counters&) const = default;
};

class random_session {
public:
    random_session(unsigned seed, std::map<std::string, int>& outcomes,
                   std::unique_ptr<retained_resource_store> store =
                       std::make_unique<retained_resource_store>(test_surface))
        : random_(seed), outcomes_(&outcomes), store_(std::move(store))
    {
    }

    void step()
    {
        const int choice = pick(0, 99);
        if (choice < 2) {
            store_->close();
            expected_revision_ += closed_ ? 0 : 1;
            closed_ = true;
            return;
        }
        const bool bind = pick(0, 2) == 0 || owners_.empty();
        auto [fragment, delta] = item(bind);
        const std::uint32_t expected = pick(0, 9) == 0 ? store_->revision() + 1 : store_->revision();
        if (choice < 30) {
            commit_or_refuse(
                [&] {
                    return bind ? store_->submit_bind(fragment, delta, expected)
                                : store_->submit_update(fragment, delta, expected);
                },
                fragment, bind);
        }
        else if (choice < 45) {
            const store_counters before(*store_);
            const operation_outcome outcome =
                bind ? store_->check_bind(fragment, delta, expected) : store_->check_update(fragment, delta, expected);
            EXPECT_TRUE(store_counters(*store_) == before) << "a check changes nothing";
            EXPECT_EQ(outcome.revision, store_->revision());
        }
        else if (choice < 75) {
            admission(fragment, delta, bind, expected);
        }
        else {
            batch();
        }
    }

    std::string state() const { return retained_resource_store_inspector(*store_).state(); }

    void check_invariants(int step)
    {
        EXPECT_EQ(retained_resource_store_inspector(*store_).broken(), "") << "after step " << step;
        EXPECT_EQ(store_->revision(), expected_revision_) << "after step " << step;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    std::pair<owner_fragment, resource_delta> item(bool bind)
    {
        resource_delta delta = test_delta(pick(0, 30) == 0 ? "elsewhere" : test_surface);
        const int resources = pick(0, 3);
        for (int i = 0; i < resources; ++i) {
            switch (pick(0, 4)) {
            case 0: {
                render_paint paint = test_paint("p" + std::to_string(pick(0, 4)));
                paint.opacity = pick(0, 12) == 0 ? 50 : 80;  // sometimes a collision
                delta.paints.push_back(paint);
                break;
            }
            case 1:
                delta.images.push_back(test_image("i" + std::to_string(pick(0, 2)), pick(0, 4)));
                break;
            case 2:
                delta.glyphs.push_back(test_glyph("0123"[pick(0, 3)]));
                break;
            case 3:
                delta.clips.push_back(test_clip("c" + std::to_string(pick(0, 3))));
                break;
            default:
                delta.transforms.push_back(test_transform("t" + std::to_string(pick(0, 3))));
                break;
            }
        }
        std::string owner;
        std::vector<std::int32_t> sequences;
        std::int32_t generation = 1;
        if (bind) {
            owner = "o" + std::to_string(pick(0, 7));
            const int count = pick(1, 4);
            const std::int32_t start = pick(0, 60);
            for (int i = 0; i < count; ++i) {
                sequences.push_back(pick(0, 5) == 0 ? pick(0, 60) : start + i);
            }
        }
        else {
            auto it = owners_.begin();
            std::advance(it, pick(0, static_cast<int>(owners_.size()) - 1));
            owner = it->first;
            sequences = it->second.sequences;
            generation = it->second.generation + (pick(0, 8) == 0 ? 0 : 1);
            if (pick(0, 10) == 0) {
                sequences.back() += 1;
            }
        }
        std::vector<render_command> commands;
        for (const std::int32_t sequence : sequences) {
            render_command command = test_command(owner, sequence);
            switch (pick(0, 5)) {
            case 0:
                command.paint_id = "p" + std::to_string(pick(0, 4));
                break;
            case 1:
                command.kind = "image";
                command.resource_id = "i" + std::to_string(pick(0, 2));
                command.image_generation = pick(1, 4);
                break;
            case 2:
                command.clip_id = "c" + std::to_string(pick(0, 3));
                break;
            case 3:
                command.transform_id = pick(0, 1) ? "identity" : "t" + std::to_string(pick(0, 3));
                break;
            default:
                break;
            }
            commands.push_back(command);
        }
        return {test_fragment(owner, generation, std::move(commands)), std::move(delta)};
    }

    void record_commit(const owner_fragment& fragment)
    {
        std::vector<std::int32_t> sequences;
        for (const render_command& command : fragment.commands) {
            sequences.push_back(command.sequence);
        }
        owners_[fragment.owner_id] = {fragment.generation, sequences};
    }

    template <typename Commit> void commit_or_refuse(Commit commit, const owner_fragment& fragment, bool bind)
    {
        const store_counters before(*store_);
        const operation_outcome outcome = commit();
        ++(*outcomes_)[std::string(bind ? "bind " : "update ") + (outcome.ok ? "committed" : "refused")];
        if (outcome.ok) {
            ++expected_revision_;
            record_commit(fragment);
            EXPECT_EQ(outcome.revision, store_->revision());
            EXPECT_EQ(store_->admission_count(), before.admissions + 1);
        }
        else {
            EXPECT_TRUE(store_counters(*store_) == before) << "refused: " << outcome.message;
            EXPECT_EQ(outcome.validations + outcome.explicit_comparisons + outcome.payload_comparisons, 0u);
        }
        if (closed_) {
            EXPECT_FALSE(outcome.ok);
        }
    }

    void admission(const owner_fragment& fragment, const resource_delta& delta, bool bind, std::uint32_t expected)
    {
        const auto prepared = bind ? store_->prepare_bind_admission(fragment, delta, expected)
                                   : store_->prepare_update_admission(fragment, delta, expected);
        switch (pick(0, 3)) {
        case 0:  // another store's admission is always foreign
            commit_or_refuse([&] { return other_.commit_update_admission(prepared, fragment, delta); }, fragment, bind);
            break;
        case 1: {  // something else commits first
            pending_.push_back({prepared, fragment, delta, bind});
            break;
        }
        default:
            commit_or_refuse(
                [&] {
                    return bind ? store_->commit_bind_admission(prepared, fragment, delta)
                                : store_->commit_update_admission(prepared, fragment, delta);
                },
                fragment, bind);
            break;
        }
        if (pending_.size() > 2) {
            const pending_admission old = pending_.front();
            pending_.erase(pending_.begin());
            commit_or_refuse(
                [&] {
                    return old.bind ? store_->commit_bind_admission(old.admission, old.fragment, old.delta)
                                    : store_->commit_update_admission(old.admission, old.fragment, old.delta);
                },
                old.fragment, old.bind);
        }
    }

    void batch()
    {
        if (owners_.empty()) {
            return;
        }
        std::vector<owner_fragment> fragments;
        std::vector<resource_delta> deltas;
        const int count = pick(1, 3);
        for (int i = 0; i < count; ++i) {
            auto [fragment, delta] = item(false);
            fragments.push_back(std::move(fragment));
            deltas.push_back(std::move(delta));
        }
        const auto prepared = store_->prepare_candidate_batch(fragments, deltas, store_->revision());
        if (pick(0, 5) == 0 && fragments.size() > 1) {
            std::swap(fragments.front(), fragments.back());
            std::swap(deltas.front(), deltas.back());
        }
        const store_counters before(*store_);
        const operation_outcome outcome = store_->commit_prepared_candidate_batch(prepared, fragments, deltas);
        ++(*outcomes_)[outcome.ok ? "batch committed" : "batch refused"];
        if (outcome.ok) {
            ++expected_revision_;
            for (const owner_fragment& fragment : fragments) {
                record_commit(fragment);
            }
            EXPECT_EQ(store_->admission_count(), before.admissions + 1);
            EXPECT_EQ(outcome.validations, prepared->validation_count());
        }
        else {
            EXPECT_TRUE(store_counters(*store_) == before) << "refused batch: " << outcome.message;
            EXPECT_FALSE(prepared->consumed());
        }
    }

    struct owner_model {
        std::int32_t generation;
        std::vector<std::int32_t> sequences;
    };
    struct pending_admission {
        std::shared_ptr<retained_prepared_admission> admission;
        owner_fragment fragment;
        resource_delta delta;
        bool bind;
    };

    std::mt19937 random_;
    std::map<std::string, int>* outcomes_;
    std::unique_ptr<retained_resource_store> store_;
    retained_resource_store other_{test_surface};
    std::map<std::string, owner_model> owners_;
    std::vector<pending_admission> pending_;
    std::uint32_t expected_revision_ = 0;
    bool closed_ = false;
};

TEST(store_properties, invariants_hold_along_random_sequences)
{
    std::map<std::string, int> outcomes;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        random_session session(seed, outcomes);
        for (int step = 0; step < 150; ++step) {
            session.step();
            session.check_invariants(step);
            if (::testing::Test::HasFailure()) {
                FAIL() << "seed " << seed << ", step " << step;
            }
        }
    }
    // The sequences must reach both ends of every kind of commit.
    for (const char* outcome :
         {"bind committed", "bind refused", "update committed", "update refused", "batch committed", "batch refused"}) {
        EXPECT_GE(outcomes[outcome], 10) << outcome;
    }
}

// A class derived from the store overrides nothing, so it must end every step
// exactly as the store does, though its operations reach each other with the
// copies their interfaces promise where the store itself moves or reads in place.
class derived_store : public retained_resource_store {
public:
    using retained_resource_store::retained_resource_store;
};

TEST(store_properties, a_derived_store_takes_the_same_steps)
{
    std::map<std::string, int> outcomes;
    std::map<std::string, int> derived_outcomes;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        random_session exact(seed, outcomes);
        random_session derived(seed, derived_outcomes, std::make_unique<derived_store>(test_surface));
        for (int step = 0; step < 150; ++step) {
            exact.step();
            derived.step();
            ASSERT_EQ(exact.state(), derived.state()) << "seed " << seed << ", step " << step;
        }
    }
    EXPECT_EQ(outcomes, derived_outcomes);
}

}  // namespace
