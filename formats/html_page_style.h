// The style sheet of the HTML page, kept apart from the code that writes the page.
#pragma once

namespace bestfocus {

// Cards flow in rows; "#only-flagged:checked" (a checkbox before <main>) hides the group of
// cards without warnings, so the filter needs no script. content-visibility lets a browser skip
// laying out the cards off screen, which keeps a page of a thousand folders responsive; the card
// holding the target of a click on a thumbnail gives that up, so that the thumbnail can be shown
// large over the whole window (":target", no script).
constexpr const char kHtmlPageStyle[] = R"css(
body { font: 14px/1.4 system-ui, sans-serif; margin: 0; background: #f4f4f2; color: #222; }
header { background: #fff; border-bottom: 1px solid #ccc; padding: 12px 20px; }
h1 { font-size: 20px; margin: 0 0 8px; }
dl.run { display: grid; grid-template-columns: max-content 1fr; gap: 2px 14px; margin: 0 0 8px; }
dl.run dt { color: #666; }
dl.run dd { margin: 0; }
details { margin: 0 0 8px; color: #444; }
details summary { cursor: pointer; }
dl.key { display: grid; grid-template-columns: max-content 1fr; gap: 2px 8px; margin: 4px 0; }
dl.key dd { margin: 0; }
dl.key .flag { margin-left: 0; }
#only-flagged { position: absolute; opacity: 0; }
label.filter { display: inline-block; padding: 3px 10px; border: 1px solid #999;
  border-radius: 4px; cursor: pointer; user-select: none; background: #fafafa; }
label.filter::before { content: "\2610  "; }
#only-flagged:checked ~ header label.filter { background: #fde8c8; border-color: #c60; }
#only-flagged:checked ~ header label.filter::before { content: "\2611  "; }
#only-flagged:focus-visible ~ header label.filter { outline: 2px solid #0072b2; }
#only-flagged:checked ~ main .unflagged { display: none; }
main { padding: 8px 20px 20px; }
p.none { color: #666; margin: 0; }
h2 { font-size: 16px; margin: 16px 0 8px; }
.cards { display: flex; flex-wrap: wrap; gap: 12px; }
.card { background: #fff; border: 1px solid #ccc; border-radius: 6px; padding: 8px 10px;
  content-visibility: auto; contain-intrinsic-size: 640px 300px; }
.card.flagged { border-color: #c60; box-shadow: inset 4px 0 0 #e69f00; }
.card h3 { font-size: 15px; margin: 0; }
.path { font: 12px monospace; color: #555; margin: 0 0 4px; word-break: break-all; }
.body { display: flex; gap: 10px; align-items: flex-start; }
.thumbs { display: flex; flex-wrap: wrap; gap: 6px; max-width: 1060px; }
figure.thumb { margin: 0; text-align: center; font-size: 12px; color: #444; max-width: 260px; }
figure.thumb img { display: block; margin: 0 auto; border: 2px solid #999; cursor: zoom-in; }
figure.thumb a.close { display: none; }
figure.thumb:target a.close { display: block; position: fixed; inset: 0; z-index: 10;
  background: rgba(0, 0, 0, 0.85); cursor: zoom-out; }
figure.thumb:target img { position: fixed; z-index: 11; top: 50%; left: 50%;
  transform: translate(-50%, -50%); width: auto; height: auto; max-width: min(1024px, 96vw);
  max-height: 96vh; cursor: default; }
.card:has(:target) { content-visibility: visible; contain: none; }
figure.thumb.missing div { width: 120px; height: 90px; border: 1px dashed #c00; color: #c00;
  display: flex; align-items: center; justify-content: center; }
.flag { display: inline-block; margin-left: 6px; padding: 0 6px; border-radius: 8px;
  background: #fde8c8; color: #8a3a00; font-size: 12px; font-weight: normal; }
table.legend { border-collapse: collapse; font-size: 13px; margin-top: 4px; }
table.legend td { padding: 1px 10px 1px 0; }
.swatch { display: inline-block; width: 18px; height: 4px; margin: 0 6px 3px 0;
  vertical-align: middle; }
svg.curves { flex: none; }
svg .grid { stroke: #e2e2e2; }
svg .tick { stroke: #888; }
svg text { font: 10px sans-serif; fill: #555; }
svg .ylabel { text-anchor: end; dominant-baseline: middle; }
svg .xlabel, svg .axis-name { text-anchor: middle; }
svg .scores { fill: none; stroke-width: 1.6; stroke-linejoin: round; }
svg .peak { stroke-width: 1; stroke-dasharray: 3 3; }
)css";

}  // namespace bestfocus
