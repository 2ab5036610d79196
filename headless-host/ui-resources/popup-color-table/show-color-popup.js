// The colour table popup ("popup-color-table.htm", element #ColorsPopup). The headless host runs
// no page script; its engine provides this behaviour natively:
//   - the application event 0x402 sent on the popup gives the current colour ("#RRGGBB", or empty
//     for none): its cell takes the "current" state and the hex input (.color-hex) shows it. A
//     reason of 1 means "no colour" may be chosen: the popup then carries the attribute
//     no-color-allowed and the "No color" button is enabled; with any other reason the button is
//     disabled (state and attribute) and a click on it raises nothing;
//   - choosing a cell raises the application event 0x401 with the cell's value ("#RRGGBB", or
//     "nocolor" for the "No color" button);
//   - Enter in the hex input raises 0x401 with the typed colour as "#RRGGBB" in capitals (six hex
//     digits, the '#' optional, blanks around them ignored); any other text raises nothing and
//     gives the input the attribute "invalid" until the user changes the text.
