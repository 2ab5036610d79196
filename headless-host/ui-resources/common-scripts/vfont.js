// The fonts virtual list ("aspect: Fonts url(vfont.js)" on the fonts drop-down). The headless host
// runs no page script; its engine provides this behaviour natively, with a "vlist" element inside
// the list widget that offers:
//   set_records(records)  - replaces the rows. A record is {"type": "label", "label": text} or
//                           {"type": "option", "value", "fontfamily", "fonttype", "fontstyle",
//                           "fontfamilyname", "drawsample"}; each option becomes an <option> with
//                           that value, holding a span.font-name[font-type] and, when drawsample
//                           is true, a span.font-sample;
//   set_current(value, fontType) - makes the option with that value current and shows it.
