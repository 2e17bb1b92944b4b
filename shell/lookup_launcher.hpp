// `tulvo --lookup`: hands a text to this user's window, or starts the window
// with it, and returns at once.
//
// The window counts as there as soon as the kernel queues the connection to
// its locator, whatever the window is doing; the text is written into the
// connection and what the socket does not take at once is finished by a
// child of its own, so the caller never waits for the window. With no window,
// the launcher makes the locator's listening socket itself under a start-up
// lock, queues the text in it and starts the window with that socket, so
// that launchers started together end with one window, which reads every
// text (of any accepted size) once it runs.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <string>

namespace tulvo::shell {

// The exit status: 0 when the text was handed over (or the window started
// with it), 1 when not, with the reason on standard error. An empty text
// (blanks only) asks for the window only. `program` is the window's
// executable. `whyNoWindow`, when set, is asked before a window is started:
// a non-empty answer (e.g. no display) is printed and the status is 1.
int handOverLookup(const QByteArray& text, const std::string& program,
                   const std::function<std::string()>& whyNoWindow = {});

// Each problem on standard error and, with the time, at the end of `log`.
void reportProblems(const QStringList& problems, const std::filesystem::path& log);

}  // namespace tulvo::shell
