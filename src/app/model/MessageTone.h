#pragma once

namespace quorvane::app {

// What a status line is saying, so that every screen draws it the same way: a step under way, a result
// the user asked for, or something that went wrong. The model decides it where the message is made;
// screens never read it from the words.
enum class MessageTone { Progress, Success, Failure };

} // namespace quorvane::app
