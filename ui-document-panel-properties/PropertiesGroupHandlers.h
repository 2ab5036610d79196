// The handlers bound to generated containers: one per root group panel (lazy content, the
// default-settings buttons) and one per group view. Members are [ui-thread] unless they say
// otherwise; the panel's threads and rebuild flags are told in PropertiesPanelHandler.h.
#pragma once

#include "ui-document-panel-properties/EventConnection.h"
#include "ui-document-panel-properties/PropsViewGen.h"
#include "ui-engine/internal/UIHandlerStdImpl.h"

#include <atomic>
#include <memory>

namespace panel {

class PropertiesRootGroupHandler : public ui::UIHandlerStdImpl<PropertiesRootGroupHandler>,
                                   public PropsViewGen {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86AE9;
    static constexpr std::uint32_t kEventMask = kHandleBehaviorEvent | kHandleSom;
    static constexpr bool kHasIdle = true;

    PropertiesRootGroupHandler(so::WeakRef context, std::shared_ptr<PropsViewGenSharedData> shared,
                               const so::Ref& group);

    void OnBehaviorEvent(std::uint8_t& handled, HtmlBehaviorEventParams& event);
    bool OnIdle();

    // Generates and inserts the panel content and binds its handlers; false when the group is gone
    // or gives no content.
    bool GenerateContent();

    // [thread-safe] Brings the buttons in step with the default settings. Each of the three posts
    // itself to the UI thread when called elsewhere. A null context means the generator's.
    void UpdateDefaultPropertiesControls(bool saveShown, bool resetDone, so::Ref context);
    void _UpdateDefaultPropertiesControls_1(bool saveShown, bool resetDone, so::Ref defaultContext);
    void _UpdateDefaultPropertiesControls_2(bool saveShown, bool resetDone, so::Ref defaultContext);

    void SetAsDefault();
    void ResetDefault();

    bool ContentGenerated() const { return contentGenerated; }

private:
    // Posts `work` unless the invoker says this is the UI thread; true when it posted (or, detached,
    // dropped) it.
    template <class Work>
    bool PostIfOffThread(Work&& work);
    // Asks whether to restore the original defaults; false leaves them as they are.
    bool ConfirmReset();

    so::WeakRef groupRef;
    EventConnectionPtr optsChangedSubscription;
    bool contentGenerated = false;
    // These three steer the buttons' updates: see the flags in PropertiesPanelHandler.h.
    bool skipNextIdleUpdate = false;
    std::atomic<bool> defaultActionRunning{false};
    bool defaultsUpdatePending = false;
};

class PropertiesGroupHandler : public ui::UIHandlerStdImpl<PropertiesGroupHandler>, public PropsViewGen {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86AEA;
    static constexpr std::uint32_t kEventMask = kHandleBehaviorEvent | kHandleSom;
    static constexpr bool kHasIdle = true;

    PropertiesGroupHandler(so::WeakRef context, std::shared_ptr<PropsViewGenSharedData> shared,
                           const so::Ref& group);

    void OnBehaviorEvent(std::uint8_t& handled, HtmlBehaviorEventParams& event);
    bool OnIdle();

private:
    so::WeakRef groupRef;
    bool idlePending = false;
};

} // namespace panel
