#pragma once
// What the plug-in object asks of its editor beyond the editor operations:
// the hooks that the effect record's extension entries reach, the vendor
// request and whether the editor has a hook menu.  The editor implements it;
// the plug-in object finds it on the editor it was given, so this layer never
// sees the editor's class.  GUI thread only.

class EditorHooks {
public:
    virtual ~EditorHooks() = default;

    virtual void openHookMenu() = 0;
    virtual void openManual() = 0;
    // The fifth hook: no behaviour in this product.
    virtual void fifthHook() {}
    virtual bool isKeyInputBlocked() const = 0;
    // The float of the one vendor request the plug-in accepts.
    virtual void vendorHook(float /*value*/) {}
    // Whether the editor holds its hook menu (the "about" capability).
    virtual bool holdsHookMenu() const = 0;
};
