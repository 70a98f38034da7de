#pragma once

#include <functional>
#include <optional>

namespace vantuke {

// The side of a run's file system that can hold changes back and make them in groups: the
// undo history does, so that one flush of its records to the disk covers many changes. The
// frame of ExecuteBatch drives it: it says where each entry starts, holds the entries' status
// lines and progress back until their changes are made, and runs entries again when a change
// did not turn out as foreseen, so the lines are exactly those of a run that made each change
// at once.
class ChangeBatcher {
public:
    virtual ~ChangeBatcher() = default;

    // Entry i starts; the changes made from now on belong to it.
    virtual void BeginEntry(int i) = 0;
    // Whether changes are held back (true) or made at once, each as the step makes it.
    virtual void SetHolding(bool hold) = 0;
    // True when changes are held back now.
    virtual bool HoldsChanges() const = 0;
    // True when enough is held back, or held long enough, to be made now.
    virtual bool WantsCommit() const = 0;
    // Makes every held change, in order. Returns the entry of the first change that did not
    // turn out as foreseen (refused, failed, or its file changed meanwhile): that change and
    // every later one are dropped unmade, their files left as they were. Nothing when all
    // came out as foreseen. Throws IoError when the changes cannot be recorded; then none of
    // them is made.
    virtual std::optional<int> Commit() = 0;

    // Set by the frame: how the batcher asks for a commit in the middle of a step (before it
    // opens a file that a held change keeps open and locked, before it clears a read-only
    // mode). The request may not return: the frame then goes back to an earlier entry.
    void SetCommitRequest(std::function<void()> request) { request_ = std::move(request); }

protected:
    void RequestCommit() { request_(); }

private:
    std::function<void()> request_;
};

} // namespace vantuke
