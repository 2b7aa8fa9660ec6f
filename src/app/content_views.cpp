#include "app/content_view.h"

#include "ui/views/unit_panel.h"

namespace varento {

const std::vector<ViewFactory>& contentViews() {
    // The front-panel windows take the Remote and PX Remote slots once they exist.
    static const std::vector<ViewFactory> views{
        {ViewSlot::Remote,
         [](const ViewContext& c) {
             return new UnitPanel(c.session, {710, 400}, c.parent);
         }},
        {ViewSlot::PxRemote,
         [](const ViewContext& c) {
             return new UnitPanel(c.session, {710, 465}, c.parent);
         }},
    };
    return views;
}

} // namespace varento
