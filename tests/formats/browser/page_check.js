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
        if (images.length < 2 || images.length !== card.querySelectorAll("figure.thumb").length) {
            problems.push(card.id + ":thumbnails");
        }
        images.forEach(function (image) {
            if (!image.complete || image.naturalWidth === 0) problems.push(card.id + ":undecoded");
            var box = image.getBoundingClientRect();
            if (Math.round(Math.max(box.width, box.height)) !== 256 + 4) { // its 2 px frame
                problems.push(card.id + ":thumbnail-size");
            }
        });
    });
    // A click on the first thumbnail (CSS :target, no script of the page's own) shows it large:
    // at its embedded size, at most 1024 pixels, over a backdrop that covers the window.
    var first = document.querySelector("figure.thumb");
    var large = "none";
    if (first) {
        first.querySelector("a.open").click();
        var image = first.querySelector("img");
        var box = image.getBoundingClientRect();
        var backdrop = first.querySelector("a.close").getBoundingClientRect();
        large = Math.round(box.width - 4) + "x" + Math.round(box.height - 4);
        if (large !== image.naturalWidth + "x" + image.naturalHeight ||
            Math.max(image.naturalWidth, image.naturalHeight) > 1024 ||
            backdrop.width !== innerWidth || backdrop.height !== innerHeight) {
            problems.push("large-view");
        }
        first.querySelector("a.close").click();
        if (image.getBoundingClientRect().width - 4 > 256) problems.push("large-view-stays");
    }
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
        problems.join(" ") + "] large=" + large + " scripts=" + document.scripts.length +
        " title=" + document.title;
    document.body.appendChild(result);
});
