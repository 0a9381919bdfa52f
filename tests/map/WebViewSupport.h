#pragma once

#include <QString>
#include <QVariant>

#include <functional>

class QWebEnginePage;

// What the tests that create a browser share: the engine's start-up environment (set before
// main), running a script and waiting for the answer, and waiting for a condition.
namespace maptest {

// The script's value; an invalid value when no answer came within the time.
QVariant evaluate(QWebEnginePage* page, const QString& script, int timeoutMs = 15000);

// Runs the event loop until the condition holds or the time is up; the condition's last value.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 15000);

} // namespace maptest
