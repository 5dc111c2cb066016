<?php
// Orbelis result collector. Receives the questionnaire forms posted by the pupil pages of this folder
// and appends one line per answer to data.csv beside it:
//   session,question,polarity (1/0),respondent,partner (-1 for a text),time,"text" (commas as |, line breaks as _new_line)
// Only the fields the forms send are accepted and every id is checked against povolene.php, written
// with the forms. Anything else is answered with HTTP 400 and nothing is written. The only file written
// is data.csv, under an exclusive lock, so pupils sending at once never lose or mix lines.
// Runs on PHP 7.4 and 8.x without extensions.

header('Content-Type: text/html; charset=utf-8');
header('X-Content-Type-Options: nosniff');
header('Cache-Control: no-store');

function stranka($nadpis, $text)
{
    echo "<!DOCTYPE html>\n<html lang=\"cs\">\n<head>\n<meta charset=\"utf-8\">\n";
    echo "<title>" . $nadpis . "</title>\n<link rel=\"stylesheet\" href=\"../style.css\" type=\"text/css\">\n";
    echo "</head>\n<body>\n<h1>" . $nadpis . "</h1>\n<p>" . $text . "</p>\n</body>\n</html>\n";
}

function odmitnout()
{
    http_response_code(400);
    stranka('Odpověď nebyla přijata', 'Formulář nebyl vyplněn tak, jak byl vytvořen. Otevřete si prosím svůj dotazník znovu.');
    exit;
}

// A positive decimal id as the forms write it.
function je_id($hodnota)
{
    return is_string($hodnota) && preg_match('/^[1-9][0-9]{0,9}$/', $hodnota) === 1;
}

// The text as the import reads it: in double quotes, without commas and line breaks.
function zapsany_text($text)
{
    $text = str_replace(array("\r\n", "\r"), "\n", $text);
    $text = preg_replace('/[\x00-\x08\x0B-\x1F\x7F]/', '', $text);
    $text = str_replace(array("\n", ','), array('_new_line', '|'), $text);
    return '"' . $text . '"';
}

if (($_SERVER['REQUEST_METHOD'] ?? '') !== 'POST' || !empty($_FILES) || !empty($_GET)) {
    odmitnout();
}
$povolene = is_file(__DIR__ . '/povolene.php') ? include __DIR__ . '/povolene.php' : null;
if (!is_array($povolene)) {
    odmitnout();
}

$pevna = array('id_vyhodnoceni', 'id_zaka', 'max', 'submit');
foreach ($pevna as $pole) {
    if (!isset($_POST[$pole]) || !is_string($_POST[$pole])) {
        odmitnout();
    }
}
if ($_POST['submit'] !== 'Odeslat'
    || !je_id($_POST['id_vyhodnoceni']) || (int) $_POST['id_vyhodnoceni'] !== $povolene['vyhodnoceni']
    || !je_id($_POST['max']) || (int) $_POST['max'] !== $povolene['max']
    || !je_id($_POST['id_zaka']) || !in_array((int) $_POST['id_zaka'], $povolene['zaci'], true)) {
    odmitnout();
}
$vyhodnoceni = (int) $_POST['id_vyhodnoceni'];
$zak = (int) $_POST['id_zaka'];
$cas = date('Y-m-d H:i:s');

$radky = array();
foreach ($_POST as $pole => $hodnota) {
    $pole = (string) $pole;
    if (in_array($pole, $pevna, true)) {
        continue;
    }
    if (preg_match('/^ot_([1-9][0-9]{0,9})_typ$/', $pole, $m) === 1) {
        $otazka = (int) $m[1];
        if ($hodnota !== 'slovni' || !isset($povolene['otazky'][$otazka]) || !$povolene['otazky'][$otazka]['slovni']) {
            odmitnout();
        }
        continue;
    }
    if (preg_match('/^ot_(neg_)?([1-9][0-9]{0,9})$/', $pole, $m) !== 1 || !is_array($hodnota)) {
        odmitnout();
    }
    $zaporna = $m[1] !== '';
    $otazka = (int) $m[2];
    if (!isset($povolene['otazky'][$otazka])) {
        odmitnout();
    }
    $popis = $povolene['otazky'][$otazka];
    if ($popis['slovni'] && !$zaporna) {
        // The text area of a free-text question: one text of valid UTF-8.
        if (count($hodnota) !== 1 || !isset($hodnota[0]) || !is_string($hodnota[0])
            || strlen($hodnota[0]) > 20000 || preg_match('//u', $hodnota[0]) !== 1) {
            odmitnout();
        }
        if (trim($hodnota[0]) !== '') {
            $radky[] = $vyhodnoceni . ',' . $otazka . ',1,' . $zak . ',-1,' . $cas . ',' . zapsany_text($hodnota[0]);
        }
        continue;
    }
    $nabidka = $zaporna ? $popis['neg'] : $popis['poz'];
    $vybrano = array();
    foreach ($hodnota as $klic => $partner) {
        if (!is_int($klic) || !je_id($partner)) {
            odmitnout();
        }
        $partner = (int) $partner;
        if ($partner === $zak || !in_array($partner, $nabidka, true)) {
            odmitnout();
        }
        $vybrano[$partner] = true;
    }
    foreach (array_keys($vybrano) as $partner) {
        $radky[] = $vyhodnoceni . ',' . $otazka . ',' . ($zaporna ? '0' : '1') . ',' . $zak . ',' . $partner . ',' . $cas . ',-';
    }
}

if (count($radky) > 0) {
    $data = implode("\r\n", $radky) . "\r\n";
    $soubor = fopen(__DIR__ . '/data.csv', 'ab');
    if ($soubor === false || !flock($soubor, LOCK_EX)) {
        http_response_code(503);
        stranka('Odpověď nebyla uložena', 'Server teď odpověď nemůže uložit. Zkuste ji prosím odeslat znovu.');
        exit;
    }
    $zapsano = 0;
    while ($zapsano < strlen($data)) {
        $kus = fwrite($soubor, substr($data, $zapsano));
        if ($kus === false || $kus === 0) {
            break;
        }
        $zapsano += $kus;
    }
    fflush($soubor);
    flock($soubor, LOCK_UN);
    fclose($soubor);
    if ($zapsano < strlen($data)) {
        http_response_code(503);
        stranka('Odpověď nebyla uložena', 'Server teď odpověď nemůže uložit. Zkuste ji prosím odeslat znovu.');
        exit;
    }
}

stranka('Děkujeme', 'Vaše odpovědi byly uloženy. Okno můžete zavřít.');
