// The pop-up of the pages with a script policy, from a script file the policy allows.
window.open('target.html?policy');
window.testDone = true;
