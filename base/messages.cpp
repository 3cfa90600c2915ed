#include "base/messages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The two process-wide buffers of the message boxes: allocated before the entry point runs,
// freed at exit. If either allocation fails, both stay null and no box is shown.
struct MessageBuffers {
    static constexpr int kFormatSize = 256;
    static constexpr int kOutputSize = 4096;
    char* format = nullptr;
    char* output = nullptr;

    MessageBuffers() {
        format = static_cast<char*>(std::malloc(kFormatSize));
        output = static_cast<char*>(std::malloc(kOutputSize));
        if (format == nullptr || output == nullptr)
            Release();
    }
    ~MessageBuffers() { Release(); }
    void Release() {
        std::free(format);
        std::free(output);
        format = output = nullptr;
    }
};

MessageBuffers g_messageBuffers;

}  // namespace

int ShowMessageBox(HWND owner, UINT messageId, UINT captionId, UINT style, const char* argument) {
    MessageBuffers& buffers = g_messageBuffers;
    if (buffers.format == nullptr || buffers.output == nullptr)
        return -1;
    buffers.output[0] = '\0';
    const char* text = argument ? argument : "";
    if (LoadStringA(nullptr, messageId, buffers.format, MessageBuffers::kFormatSize) <= 0)
        buffers.format[0] = '\0';
    if (std::strlen(buffers.format) + std::strlen(text) + 1 <=
        static_cast<std::size_t>(MessageBuffers::kOutputSize)) {
        // wsprintfA stops at 1024 bytes; snprintf honours the whole 4096-byte buffer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        std::snprintf(buffers.output, MessageBuffers::kOutputSize, buffers.format, text);
#pragma GCC diagnostic pop
    }
    if (LoadStringA(nullptr, captionId, buffers.format, MessageBuffers::kFormatSize) <= 0)
        buffers.format[0] = '\0';
    return MessageBoxA(owner, buffers.output, buffers.format, style);
}

int ShowMessage(HWND owner, UINT messageId, UINT captionId, UINT style) {
    return ShowMessageBox(owner, messageId, captionId, style, nullptr);
}

char* LoadResourceString(HINSTANCE instance, UINT id) {
    for (int capacity = 256;; capacity += 256) {
        auto* text = static_cast<char*>(std::malloc(static_cast<std::size_t>(capacity) + 1));
        // Giving up on a failed allocation: every caller skips a null window text.
        if (text == nullptr)
            return nullptr;
        int length = LoadStringA(instance, id, text, capacity);
        if (length < 0)
            length = 0;
        if (length + 2 < capacity) {
            text[length] = '\0';
            text[capacity] = '\0';
            return text;
        }
        std::free(text);
    }
}
