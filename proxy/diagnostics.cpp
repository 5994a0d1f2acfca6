#include "proxy/diagnostics.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace proxy {
namespace {

std::atomic<DiagnosticSink> diagnosticSink{nullptr};

}  // namespace

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(&text[0], text.size() + 1, format, args);
    va_end(args);
    return text;
}

void Diagnose(const char* format, ...) {
    DiagnosticSink sink = diagnosticSink.load();
    if (sink == nullptr) return;
    va_list args;
    va_start(args, format);
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    sink(text);
}

void ReportDiagnostic(const std::string& text) {
    if (DiagnosticSink sink = diagnosticSink.load()) sink(text);
}

void SetDiagnosticSink(DiagnosticSink sink) { diagnosticSink.store(sink); }

}  // namespace proxy
