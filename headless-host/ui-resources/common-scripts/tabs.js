// The tabs behaviour ("aspect: Tabs url(tabs.js)" in the style sheets). The headless host runs no
// page script; its engine provides this behaviour natively:
//   - the tab control holds a ".strip" of tabs, each with a "panel" attribute, and a
//     ".panels-container" of panels, each with a "name" attribute;
//   - clicking a tab makes it current and expands the panel of the same name (the engine sends
//     the element-expanded event for it), collapsing the others;
//   - script methods: select(name) selects the tab whose "panel" is name; select_first() the first.
