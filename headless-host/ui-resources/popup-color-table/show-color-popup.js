// The colour table popup ("popup-color-table.htm", element #ColorsPopup). The headless host runs
// no page script; its engine provides this behaviour natively:
//   - the application event 0x402 sent on the popup gives the current colour ("#RRGGBB", or empty
//     for none); a reason of 1 means "no colour" may be chosen, and the popup then carries the
//     attribute no-color-allowed that shows the "No color" button;
//   - choosing a cell raises the application event 0x401 with the cell's value ("#RRGGBB", or
//     "nocolor" for the "No color" button).
