// Marks the host-side C++ interface of the engine library: the only names besides HtmlEngineAPI
// that libhtml-engine.so exports.
#pragma once

#if defined(_WIN32)
#define HTML_ENGINE_API __declspec(dllexport)
#else
#define HTML_ENGINE_API __attribute__((visibility("default")))
#endif
