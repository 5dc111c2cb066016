// Orbelis questionnaire pages on a phone. Without this script every question is on one page with its send
// button; with it the questionnaire shows one question per screen with "Zpět" and "Další", "Otázka 2 z 5"
// above and the count of ticks in a polite live region. What is posted is the same form either way.
(function() {
'use strict';

// The entry page: a code from the slip's QR code arrives in the fragment (#kod=...), which never reaches
// the server; it fills the field and leaves the address bar.
var kod = document.getElementById('kod');
if (kod) {
    var match = /(?:^#|&)kod=([^&]*)/.exec(window.location.hash);
    if (match) {
        kod.value = decodeURIComponent(match[1]).replace(/[^0-9A-Za-z -]/g, '').slice(0, 20);
        if (window.history.replaceState)
            window.history.replaceState(null, '', window.location.pathname + window.location.search);
    }
}

var form = document.getElementById('dotaznik');
if (!form)
    return;
var screens = Array.prototype.slice.call(form.querySelectorAll('fieldset.otazka'));
var progress = document.getElementById('postup');
var count = document.getElementById('pocet');
var back = form.querySelector('button.zpet');
var next = form.querySelector('button.dalsi');
var send = form.querySelector('input[type=submit]');
if (!screens.length || !progress || !count || !back || !next || !send)
    return;
var current = 0;

function ticks(screen) {
    return screen.querySelectorAll('input[type=checkbox]:checked, input[type=radio]:checked').length;
}

function countText(screen) {
    if (!screen.querySelector('input[type=checkbox], input[type=radio]'))
        return '';
    var limit = parseInt(screen.getAttribute('data-max'), 10);
    return 'Vybráno ' + ticks(screen) + (limit > 0 ? ' z ' + limit : '');
}

function show(index, focus) {
    current = Math.max(0, Math.min(screens.length - 1, index));
    screens.forEach(function(screen, i) { screen.hidden = i !== current; });
    progress.textContent = 'Otázka ' + (current + 1) + ' z ' + screens.length;
    count.textContent = countText(screens[current]);
    back.hidden = current === 0;
    next.hidden = current === screens.length - 1;
    send.hidden = current !== screens.length - 1;
    if (focus) {
        var legend = screens[current].querySelector('legend');
        window.scrollTo(0, 0);
        if (legend) {
            legend.setAttribute('tabindex', '-1');
            legend.focus();
        }
    }
}

form.addEventListener('change', function(event) {
    var box = event.target;
    var screen = box.closest ? box.closest('fieldset.otazka') : null;
    if (!screen)
        return;
    var limit = parseInt(screen.getAttribute('data-max'), 10);
    if (box.type === 'checkbox' && box.checked && limit > 0 && ticks(screen) > limit) {
        box.checked = false;
        count.textContent =
            'Vybrat lze nejvýše ' + limit + '. Nejdřív zruš jinou volbu. ' + countText(screen);
        return;
    }
    if (screen === screens[current])
        count.textContent = countText(screen);
});

// Each screen is a step of the browser's history: its Back button goes to the screen before.
function go(index) {
    show(index, true);
    if (window.history.pushState)
        window.history.pushState({obrazovka : current}, '');
}
next.addEventListener('click', function() { go(current + 1); });
back.addEventListener('click', function() { window.history.back(); });
window.addEventListener('popstate', function(event) {
    var state = event.state;
    show(state && typeof state.obrazovka === 'number' ? state.obrazovka : 0, true);
});

form.classList.add('po_jedne');
progress.hidden = false;
if (window.history.replaceState)
    window.history.replaceState({obrazovka : 0}, '');
show(0, false);
})();
