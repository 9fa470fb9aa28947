'use strict;'
let VLM_DATA=[
`{
	"id":"vlm_1234",
	"Map":" 00030201 ",
	"colors":[
		{	"color":2,
			"properties": {
				"over": {
					"q":0
				},
				"click": {
					"background": { "brightness":"0","contrast":"0","gamma":"1","grayscale":true},
					"q":0
				},
				"dblclick": {
					"q":0
				}
			}
		},
		{ "q":0 }
	]
}`
];
