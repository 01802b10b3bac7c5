// Injected into a copy of the page by scripts/test-html-browser.sh (the page itself runs no
// script): after loading, writes into the DOM what the browser made of every card and of the
// "only flagged" filter.
addEventListener("load", function () {
    var cards = document.querySelectorAll("section.card");
    var problems = [];
    cards.forEach(function (card) {
        var svgs = card.querySelectorAll("svg");
        if (svgs.length !== 1 || !(svgs[0].getBBox().width > 0)) problems.push(card.id + ":svg");
        var images = card.querySelectorAll("img");
        if (images.length !== 2) problems.push(card.id + ":thumbnails");
        images.forEach(function (image) {
            if (!image.complete || image.naturalWidth === 0) problems.push(card.id + ":undecoded");
        });
    });
    // The checkbox alone (CSS) leaves only the flagged cards on screen.
    document.getElementById("only-flagged").checked = true;
    var shown = Array.prototype.filter.call(cards, function (card) {
        return card.getClientRects().length > 0;
    });
    if (shown.length !== document.querySelectorAll("section.card.flagged").length ||
        shown.some(function (card) { return !card.classList.contains("flagged"); })) {
        problems.push("filter");
    }
    var result = document.createElement("pre");
    result.id = "browser-check";
    result.textContent = "cards=" + cards.length + " problems=" + problems.length + " [" +
        problems.join(" ") + "] scripts=" + document.scripts.length + " title=" + document.title;
    document.body.appendChild(result);
});
