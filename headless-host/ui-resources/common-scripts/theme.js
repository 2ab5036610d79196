// Theme switching for host pages. The headless host runs no page script: it always shows the
// main theme (../themes/theme-main.css), so this file only marks the place of the script a
// desktop host would load here.
