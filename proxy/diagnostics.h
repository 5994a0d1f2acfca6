// The proxy's diagnostic texts: one hook they all go through, silent unless a sink is set.
#pragma once

#include <string>

namespace proxy {

// Hands a text to the sink. The texts are discarded unless a sink is set (korvo-proxy -v sets
// one that prints them).
void ReportDiagnostic(const std::string& text);
using DiagnosticSink = void (*)(const std::string& text);
void SetDiagnosticSink(DiagnosticSink sink);

// Formats a diagnostic text and reports it, but only when a sink will see it: the relay reports
// on every request, and formatting texts nobody reads would cost each one.
void Diagnose(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf-style formatting into a std::string, for the diagnostic texts.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace proxy
