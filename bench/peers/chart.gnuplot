# SPDX-License-Identifier: MIT
# The peer table at a glance: one bar per row, Velmoro's throughput over the best
# peer's, on a log scale so that 2x ahead and 2x behind are as long; the line of
# parity is marked. Called by bench/peers/run --chart with
#   data   a file of lines "label" ratio, one per table row
#   output the PNG to write
#   rows   the number of lines in data
# The gd terminal writes a palette image: a small file to keep beside the table.
set terminal png size 900, 110 + 16 * rows font "sans,8"
set output output
set title "Velmoro beside the best peer of each row (above 1: Velmoro is faster)"
set style fill solid 0.85 noborder
set logscale x 2
set xrange [0.25:16]
set xtics ("1/4" 0.25, "1/2" 0.5, "1" 1, "2" 2, "4" 4, "8" 8, "16" 16)
set grid xtics lc rgb "#d0d0d0"
set yrange [rows - 0.5:-0.5]
set ytics scale 0 nomirror
set xlabel "Velmoro / best peer (megapixels per second)"
set key off
set arrow from 1, graph 0 to 1, graph 1 nohead lw 2 lc rgb "#c00000" front
set label "parity" at 1, graph 1 offset 0.4, -0.8 tc rgb "#c00000" front
# A bar from 1 to the ratio: right of the line when ahead, left when behind.
plot data using (sqrt($2)):0:(1 < $2 ? 1 : $2):(1 < $2 ? $2 : 1):($0 - 0.35):($0 + 0.35):ytic(1) \
         with boxxyerror lc rgb "#3070b0", \
     "" using ($2 < 1 ? sqrt($2) : 1/0):0:($2):(1):($0 - 0.35):($0 + 0.35) with boxxyerror lc rgb "#d08030", \
     "" using ($2 >= 1 ? ($2 > 10 ? 10 : $2) : 1/0):0:(sprintf(" %.2f", $2)) with labels left, \
     "" using ($2 < 1 ? $2 : 1/0):0:(sprintf("%.2f ", $2)) with labels right
