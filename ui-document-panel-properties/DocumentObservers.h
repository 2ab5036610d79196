// Observers of the host's documents, views, selections and commands, each a base of the panel
// handler T (which they reach with a static cast). Every member is [thread-safe]: host events call
// them on any thread. The panel's threads are told in PropertiesPanelHandler.h.
#pragma once

#include "host/BLDocument.h"
#include "host/UIDocuments.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceObjectPtr.h"
#include "ui-document-panel-properties/EventConnection.h"
#include "ui-document-panel-properties/PropertiesAccess.h"
#include "ui-engine/Element.h"

#include <mutex>

namespace panel {

// Subscribes `onEvent(T&, arguments)` through a weak reference to the handler: nothing happens once
// the handler is gone.
template <class T, class Source, class Event, class OnEvent>
EventConnectionPtr SubscribeWeak(T& handler, ServiceObject* source, OnEvent onEvent) {
    so::WeakRef weak = so::WeakRef::To(handler.Self());
    return EventConnection::Subscribe<Source, Event>(
        source, [weak, onEvent](const typename Event::Arguments& arguments) {
            if (so::Ref self = weak.Lock())
                onEvent(T::From(self.Get()), arguments);
        });
}

template <class T, class Source, class Event>
EventConnectionPtr SubscribeIgnored(ServiceObject* source) {
    return EventConnection::Subscribe<Source, Event>(source, [](const typename Event::Arguments&) {});
}

// Follows the documents collection, the active document view and its selection.
template <class T, int Variant>
class DocumentViewObserverBase {
public:
    void _SubscribeForDocumentsCollectionEvents(ServiceObject* collection, bool subscribe) {
        if (!subscribe) {
            UnsubscribeDocumentEvents();
            return;
        }
        {
            std::lock_guard lock(observerMutex_);
            documentsCollection_ = so::WeakRef::To(collection);
        }
        std::uint32_t count = 0;
        auto code = so::Call<host::UIDocumentsCollection::GetViewCount>(collection, &count);
        if (code && *code == so::kOk) {
            for (std::uint32_t index = 0; index < count; ++index) {
                if (so::Ref view = GetObjectFrom<host::UIDocumentsCollection::GetView>(collection, index))
                    OnDocumentViewCreated(view.Get());
            }
        }
        std::uint8_t has = 0;
        code = so::Call<host::UIDocumentsCollection::HasActiveView>(collection, &has);
        if (code && *code == so::kOk && has != 0) {
            if (so::Ref view = GetObjectFrom<host::UIDocumentsCollection::GetActiveView>(collection))
                OnDocumentViewActivated(view.Get());
        }
        has = 0;
        code = so::Call<host::UIDocumentsCollection::HasActiveSbSView>(collection, &has);
        if (code && *code == so::kOk && has != 0) {
            if (so::Ref view = GetObjectFrom<host::UIDocumentsCollection::GetActiveSbSView>(collection))
                RememberSideBySideView(view.Get());
        }
        using C = host::UIDocumentsCollection;
        T& handler = Handler();
        collectionConnections_.Add(SubscribeWeak<T, C, C::OnDocumentViewCreated>(
            handler, collection,
            [](T& self, const C::ViewArguments& a) { self.OnDocumentViewCreated(a.view); }));
        collectionConnections_.Add(SubscribeWeak<T, C, C::OnDocumentViewActivated>(
            handler, collection,
            [](T& self, const C::ViewArguments& a) { self.OnDocumentViewActivated(a.view); }));
        collectionConnections_.Add(SubscribeWeak<T, C, C::OnDocumentViewDeactivated>(
            handler, collection, [](T& self, const C::DeactivatedArguments& a) {
                self.OnDocumentViewDeactivated(a.view, a.other);
            }));
        collectionConnections_.Add(SubscribeIgnored<T, C, C::OnDocumentViewClose>(collection));
        collectionConnections_.Add(SubscribeWeak<T, C, C::OnDocumentViewDestroyed>(
            handler, collection,
            [](T& self, const C::ViewArguments& a) { self.OnDocumentViewDestroyed(a.view); }));
        collectionConnections_.Add(SubscribeIgnored<T, C, C::OnSbSViewCreated>(collection));
        collectionConnections_.Add(SubscribeWeak<T, C, C::OnSbSViewActivated>(
            handler, collection,
            [](T& self, const C::ViewArguments& a) { self.RememberSideBySideView(a.view); }));
        collectionConnections_.Add(SubscribeWeak<T, C, C::OnSbSViewDeactivated>(
            handler, collection,
            [](T& self, const C::ViewArguments&) { self.RememberSideBySideView(nullptr); }));
        collectionConnections_.Add(SubscribeIgnored<T, C, C::OnSbSViewDestroyed>(collection));
    }

    void OnDocumentViewCreated(ServiceObject* view) { FetchBusinessView(view); }
    void OnDocumentViewDestroyed(ServiceObject* view) { FetchBusinessView(view); }

    void OnDocumentViewActivated(ServiceObject* view) {
        so::Ref businessView = FetchBusinessView(view);
        {
            std::lock_guard lock(observerMutex_);
            activeUIView_ = so::WeakRef::To(view);
        }
        // A view whose business side cannot be had changes nothing else.
        if (!businessView)
            return;
        viewConnections_.DisconnectAll();
        {
            std::lock_guard lock(observerMutex_);
            activeView_ = so::WeakRef::To(businessView.Get());
        }
        SubscribeViewEvents(businessView.Get());
        so::Ref document = GetObjectFrom<host::BLDocumentView::GetDocument>(businessView.Get());
        // An activation may come without a deactivation before it: the old document's
        // subscriptions go first, so that they do not pile up.
        Handler().ResetCommandOrTaskObserver();
        if (document)
            Handler().SubscribeCommandsStackEvents(document.Get());
        Handler().OnActiveViewChanged(businessView.Get());
    }

    void OnDocumentViewDeactivated(ServiceObject* view, ServiceObject*) {
        FetchBusinessView(view);
        Handler().ResetCommandOrTaskObserver();
        viewConnections_.DisconnectAll();
        {
            std::lock_guard lock(observerMutex_);
            activeView_.Reset();
        }
        Handler().ShowNothing();
        std::lock_guard lock(observerMutex_);
        activeUIView_.Reset();
    }

    void RememberSideBySideView(ServiceObject* view) {
        std::lock_guard lock(observerMutex_);
        sideBySideView_ = so::WeakRef::To(view);
    }
    void RememberSelection(ServiceObject* selection) {
        std::lock_guard lock(observerMutex_);
        observedSelection_ = so::WeakRef::To(selection);
    }

    // Drops every reference and subscription (the handler's Detached).
    void UnsubscribeDocumentEvents() {
        {
            std::lock_guard lock(observerMutex_);
            documentsCollection_.Reset();
            activeUIView_.Reset();
            activeView_.Reset();
            sideBySideView_.Reset();
            observedSelection_.Reset();
        }
        viewConnections_.DisconnectAll();
        collectionConnections_.DisconnectAll();
    }

private:
    T& Handler() { return static_cast<T&>(*this); }

    // The business side of a UI view; a view without one (or a failing query) gives null.
    static so::Ref FetchBusinessView(ServiceObject* view) {
        if (view == nullptr)
            return {};
        try {
            return GetObjectFrom<host::UIDocumentView::QueryServiceObject>(view, host::BLDocumentView::kId);
        } catch (const so::ServiceObjectException&) {
            return {};
        }
    }

    void SubscribeViewEvents(ServiceObject* view) {
        using V = host::BLDocumentView;
        T& handler = Handler();
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnZoomChanged>(view));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnFocusPageChanged>(view));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnVisibleRangeChanged>(view));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnPagesChanged>(view));
        viewConnections_.Add(SubscribeWeak<T, V, V::OnSelectionChanging>(
            handler, view, [](T& self, const V::SelectionChangingArguments& a) {
                self.OnDocumentViewSelectionChanging(a.previous, a.next);
            }));
        viewConnections_.Add(SubscribeWeak<T, V, V::OnSelectionChanged>(
            handler, view,
            [](T& self, const V::SelectionArguments& a) { self.RememberSelection(a.selection); }));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnLayoutChanged>(view));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnScrollChanged>(view));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnAvailableOperationsChanged>(view));
        viewConnections_.Add(SubscribeWeak<T, V, V::OnLockedStateChanged>(
            handler, view,
            [](T& self, const V::StateArguments& a) { self.OnDocumentViewLockedStateChanged(a.state); }));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnActiveToolChanged>(view));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnActiveInputHandlerChanged>(view));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnViewStateChanged>(view));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnViewRulerStateChanged>(view));
        viewConnections_.Add(SubscribeIgnored<T, V, V::OnViewGridStateChanged>(view));
    }

    std::mutex observerMutex_;
    so::WeakRef documentsCollection_;
    EventConnectionList collectionConnections_;
    so::WeakRef activeUIView_;
    so::WeakRef activeView_;
    so::WeakRef sideBySideView_;
    so::WeakRef observedSelection_;
    EventConnectionList viewConnections_;
};

// Enables and disables the page's lockable elements when the document's locked state changes.
template <class T>
class DocumentViewLockedStateController {
public:
    static constexpr std::uint32_t kLockedForWrite = host::BLDocumentView::kLockedForWrite;
    static constexpr std::uint32_t kLockedForRead = host::BLDocumentView::kLockedForRead;

    // [thread-safe] Always posted, with a weak reference to the handler.
    void OnDocumentViewLockedStateChanged(std::uint32_t state) {
        static_cast<T&>(*this).PostWeak([state](T& alive) {
            const ui::Element& root = alive.AttachedElement();
            for (const ui::Element& element : root.FindAll("[disabled-when-document-locked-for-write]"))
                SetDisabled(element, (state & kLockedForWrite) != 0);
            for (const ui::Element& element : root.FindAll("[disabled-when-document-locked-for-read]"))
                SetDisabled(element, (state & kLockedForRead) != 0);
        });
    }

private:
    static void SetDisabled(const ui::Element& element, bool disabled) {
        if (disabled)
            element.SetState(kStateDisabled);
        else
            element.SetState(0, kStateDisabled);
    }
};

// Watches the active document's command stack and its task and progress notifications. The panel
// gives it no reaction: the subscriptions only follow the active document.
template <class T>
class CommandOrTaskObserver {
public:
    void SubscribeCommandsStackEvents(ServiceObject* document) {
        using D = host::BLDocument;
        connections_.Add(SubscribeIgnored<T, D, D::OnBeforeCommand>(document));
        connections_.Add(SubscribeIgnored<T, D, D::OnAfterCommand>(document));
        if (so::Ref notification = GetObjectFrom<D::GetExecuteNotification>(document))
            _SubscribeExecuteNotificationEvents(notification.Get());
        if (so::Ref notification = GetObjectFrom<D::GetProgressNotification>(document))
            _SubscribeProgressNotificationEvents(notification.Get());
    }
    void ResetCommandOrTaskObserver() { connections_.DisconnectAll(); }

private:
    void _SubscribeExecuteNotificationEvents(ServiceObject* notification) {
        using N = host::ExecuteNotification;
        connections_.Add(SubscribeIgnored<T, N, N::OnTaskBegin>(notification));
        connections_.Add(SubscribeIgnored<T, N, N::OnTaskEnd>(notification));
        connections_.Add(SubscribeIgnored<T, N, N::OnTaskFail>(notification));
    }
    void _SubscribeProgressNotificationEvents(ServiceObject* notification) {
        using P = host::ProgressNotification;
        connections_.Add(SubscribeIgnored<T, P, P::OnProgressStateChanged>(notification));
        connections_.Add(SubscribeIgnored<T, P, P::OnProgressChanged>(notification));
        connections_.Add(SubscribeIgnored<T, P, P::OnProgressTextChanged>(notification));
        connections_.Add(SubscribeIgnored<T, P, P::OnProgressActionChanged>(notification));
        connections_.Add(SubscribeIgnored<T, P, P::OnProgressActionButtonChanged>(notification));
        connections_.Add(SubscribeIgnored<T, P, P::OnProgressFinished>(notification));
    }

    EventConnectionList connections_;
};

} // namespace panel
