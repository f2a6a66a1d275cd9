# The read-lay-write job done by awk, the peer of the tool's core: read the
# host export (every number line parsed), lay the run between hp1 and hp2
# with the ordinary outline (alternate piles mirrored), turn it, move it to
# hp1 and print every segment with 15 significant digits.
#   awk -v outline=data/pile_n.dat -f peer.awk export.txt > result.txt
BEGIN { n = 0 }
$1 == "hp1" { x1 = $2 + 0; y1 = $3 + 0; next }
$1 == "hp2" { x2 = $2 + 0; y2 = $3 + 0; next }
$1 ~ /^[-+.0-9]/ { s += $1 + $2 + $3 + $4; n++ }
END {
    while ((getline line < outline) > 0) {
        split(line, f, " ")
        if (f[4] == "") continue
        k++; ax[k] = f[1] + 0; ay[k] = f[2] + 0; bx[k] = f[3] + 0; by[k] = f[4] + 0
    }
    len = sqrt((x2 - x1) ^ 2 + (y2 - y1) ^ 2)
    piles = int(len / 400); if (piles * 400 < len) piles++
    a = atan2(y2 - y1, x2 - x1); c = cos(a); sn = sin(a)
    for (i = 0; i < piles; i++) {
        m = (i % 2) ? -1 : 1
        for (j = 1; j <= k; j++) {
            px = ax[j] + i * 400; py = m * ay[j]; qx = bx[j] + i * 400; qy = m * by[j]
            printf "%.15g %.15g %.15g %.15g\r\n", px * c - py * sn + x1, px * sn + py * c + y1, qx * c - qy * sn + x1, qx * sn + qy * c + y1
        }
    }
}
