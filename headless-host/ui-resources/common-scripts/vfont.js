// The fonts virtual list ("aspect: Fonts url(vfont.js)" on the fonts drop-down). The headless host
// runs no page script; its engine provides this behaviour natively, with a "vlist" element inside
// the list widget that offers:
//   set_records(records)  - replaces the rows. A record is {"type": "label", "label": text} or
//                           {"type": "option", "value", "fontfamily", "fonttype", "fontstyle",
//                           "fontfamilyname", "drawsample"}; a label becomes a div.font-group-label,
//                           an option an <option> with that value (and fonttype, fontfamily,
//                           fontstyle and, for a sample, drawsample attributes) holding a span.font-name[font-type] with the
//                           family name and, when drawsample is true, a span.font-sample. The
//                           renderer draws the sample in the font itself; headless the span stays
//                           empty, so an option's text is its family name. Values must be unique;
//                           a malformed record refuses the whole call, naming the record, and the
//                           rows stay as they were;
//   set_current(value, fontType) - makes the option with that value current and shows it; false,
//                           with no option current, when no option has that value.
