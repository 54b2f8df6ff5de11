// What loading a universe came to, the same for every caller (start-up, Open, the options
// dialog's list, the tool): loaded, cancelled at the open question, or failed. A failure has
// already been shown to the user (or to the tool's error stream) and changed nothing.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct SLoadOutcome {
    enum class EResult { Loaded, Cancelled, Failed };
    EResult result = EResult::Failed;
    // A failure's messages, as they were shown; empty for the other results.
    std::vector<std::string> messages;

    static SLoadOutcome Done() { return {EResult::Loaded, {}}; }
    static SLoadOutcome Cancelled() { return {EResult::Cancelled, {}}; }
    static SLoadOutcome Failure(std::vector<std::string> shown) { return {EResult::Failed, std::move(shown)}; }
    bool Loaded() const { return result == EResult::Loaded; }
    bool Failed() const { return result == EResult::Failed; }
};
