#include "core/PatternClipboards.h"

BWCopyHelper& xyClipboard() {
    static BWCopyHelper clipboard(BWCopyHelper::KeyField::own);
    return clipboard;
}

BWCopyHelper& xySharedClipboard() {
    static BWCopyHelper clipboard(BWCopyHelper::KeyField::shared);
    return clipboard;
}

BWCopyHelper& btnLineClipboard() {
    static BWCopyHelper clipboard(BWCopyHelper::KeyField::own);
    return clipboard;
}

BWCopyHelper& btnLineSharedClipboard() {
    static BWCopyHelper clipboard(BWCopyHelper::KeyField::shared);
    return clipboard;
}
